#!/usr/bin/env python3
"""Writes the two wavemods data files of examples/wavemods_airy.inp.

The kinematics are those of one regular linear (Airy) wave, H = 2 m and
T = 10 s in 30 m of water, at x = 0, with Wheeler stretching: the column from
the bed to the instantaneous surface eta is mapped onto the still-water
column. A level that keeps the fraction sigma of the column then sits at the
stretched height sigma*h above the bed, so its kinematics are the still-water
ones at that height:

    eta = a sin(w t)
    u   = w a cosh(k sigma h)/sinh(k h) sin(w t)
    w   = w a sinh(k sigma h)/sinh(k h) cos(w t)
    a_x = w^2 a cosh(k sigma h)/sinh(k h) cos(w t)
    a_z = -w^2 a sinh(k sigma h)/sinh(k h) sin(w t)

with w^2 = g k tanh(k h), g = 9.81 m/s^2. The wavemods model replays them, so
its answers can be checked against these formulas.

Layout, as the model reads it: 9 header lines, the level fractions (here
wrapped over two lines), 1 header line, then one record per time. File 1
records hold t, eta, u(1..nd), a_x(1..nd) and an extra column (the dynamic
pressure at the bed, which the model ignores); file 2 records hold t,
w(1..nd), a_z(1..nd). Every fifth record is wrapped over two lines.

Run from the repository root:  python3 examples/make_wavemods_data.py
"""

import math
import os

G = 9.81          # m/s^2
RHO = 1050.0      # kg/m^3, the library's water density
DEPTH = 30.0      # m
HEIGHT = 2.0      # m
PERIOD = 10.0     # s
LEVELS = 11       # sigma = 0, 0.1, ..., 1
STEP = 0.25       # s between records
DURATION = 70.0   # s, first record at 0
HERE = os.path.dirname(os.path.abspath(__file__))


def wave_number(omega, h):
    """Root of omega^2 = g k tanh(k h), by bisection."""
    lo, hi = 1e-12, 10.0 * omega * omega / G + 10.0 / h
    for _ in range(200):
        mid = 0.5 * (lo + hi)
        if G * mid * math.tanh(mid * h) < omega * omega:
            lo = mid
        else:
            hi = mid
    return 0.5 * (lo + hi)


def number(value):
    return "%.12g" % value


def write_record(out, values, wrap):
    words = [number(v) for v in values]
    if wrap:
        half = len(words) // 2
        out.write(" ".join(words[:half]) + "\n")
        out.write(" ".join(words[half:]) + "\n")
    else:
        out.write(" ".join(words) + "\n")


def write_header(out, title, columns, sigma):
    lines = [
        title,
        "Regular linear (Airy) wave with Wheeler stretching, at x = 0",
        "wave height H = %g m, period T = %g s, water depth h = %g m" % (HEIGHT, PERIOD, DEPTH),
        "gravity g = %g m/s^2" % G,
        "%d levels on fractions sigma of the water column, from the bed (0) to the surface (1)" % LEVELS,
        "%d records, time step %g s, from t = 0" % (round(DURATION / STEP) + 1, STEP),
        "written by examples/make_wavemods_data.py",
        "",
        "level fractions sigma:",
    ]
    for line in lines:
        out.write(line + "\n")
    half = len(sigma) // 2
    out.write(" ".join(number(s) for s in sigma[:half]) + "\n")
    out.write(" ".join(number(s) for s in sigma[half:]) + "\n")
    out.write(columns + "\n")


def main():
    a = 0.5 * HEIGHT
    omega = 2.0 * math.pi / PERIOD
    k = wave_number(omega, DEPTH)
    sinh_kh = math.sinh(k * DEPTH)
    cosh_kh = math.cosh(k * DEPTH)
    sigma = [i / (LEVELS - 1) for i in range(LEVELS)]
    records = round(DURATION / STEP) + 1
    with open(os.path.join(HERE, "wavemods_airy_1.dat"), "w", newline="\n") as f1, \
         open(os.path.join(HERE, "wavemods_airy_2.dat"), "w", newline="\n") as f2:
        write_header(f1, "wavemods data file 1: time, elevation, horizontal velocity and acceleration",
                     "t eta u(1..%d) ax(1..%d) p_bed" % (LEVELS, LEVELS), sigma)
        write_header(f2, "wavemods data file 2: vertical velocity and acceleration",
                     "t w(1..%d) az(1..%d)" % (LEVELS, LEVELS), sigma)
        for j in range(records):
            t = j * STEP
            s, c = math.sin(omega * t), math.cos(omega * t)
            ch = [math.cosh(k * sg * DEPTH) / sinh_kh for sg in sigma]
            sh = [math.sinh(k * sg * DEPTH) / sinh_kh for sg in sigma]
            u = [omega * a * f * s for f in ch]
            ax = [omega * omega * a * f * c for f in ch]
            w = [omega * a * f * c for f in sh]
            az = [-omega * omega * a * f * s for f in sh]
            p_bed = RHO * G * a * s / cosh_kh
            wrap = j % 5 == 2
            write_record(f1, [t, a * s] + u + ax + [p_bed], wrap)
            write_record(f2, [t] + w + az, wrap)


if __name__ == "__main__":
    main()
