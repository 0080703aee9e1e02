#!/usr/bin/env python3
"""Writes examples/probe_record.txt, the wave-probe record of det_airy.inp.

Fifteen minutes of a wave probe sampled at 2 Hz: four long-crested waves, a
little noise from a fixed linear congruential generator (so the file is the
same on every run) and a probe offset of 0.15 m. Each line holds the time,
a second probe that the example does not use, and the elevation, so the
example reads columns 1 and 3. A three-line header, commas in every tenth
line and two records wrapped over two lines show what the reader accepts.

Run from the repository root:  python3 examples/make_probe_record.py
"""

import math
import pathlib

SAMPLES = 1801          # odd: the replay at x = 0 is then exact
STEP = 0.5              # s
OFFSET = 0.15           # m, mean of the record (dropped by the model)
WAVES = [               # amplitude (m), period (s), phase (rad)
    (1.20, 9.0, 0.4),
    (0.60, 6.5, -1.1),
    (0.40, 12.0, 2.3),
    (0.25, 4.3, 0.9),
]
NOISE = 0.02            # m, peak of the uniform noise


def noise(count, seed=20261208):
    """Uniform deviates in [-1, 1) from the minimal standard generator."""
    state = seed
    for _ in range(count):
        state = (16807 * state) % 2147483647
        yield 2.0 * state / 2147483647 - 1.0


def main():
    path = pathlib.Path(__file__).with_name("probe_record.txt")
    lines = [
        "Wave probe record, basin test 12, probes P1 and P2",
        "sampled at 2 Hz; elevation in m above still water",
        "time(s) P1(m) P2(m)",
    ]
    for n, r in enumerate(noise(SAMPLES)):
        t = n * STEP
        eta = OFFSET + NOISE * r + sum(
            a * math.sin(2.0 * math.pi * t / p + phi) for a, p, phi in WAVES)
        other = 0.5 * eta
        if n in (7, 1200):
            lines.append(f"{t:.1f} {other:.4f}")
            lines.append(f"{eta:.4f}")
        elif n % 10 == 3:
            lines.append(f"{t:.1f}, {other:.4f}, {eta:.4f}")
        else:
            lines.append(f"{t:.1f} {other:.4f} {eta:.4f}")
    path.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
