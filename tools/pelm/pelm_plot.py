"""Figures of the sea an input gives, for a report: run as `pelm plot`.

    pelm plot INPUT [--t-start S] [--t-end S] [--dt S] [--point X,Y,Z]... [--out-dir DIR]

Writes PNG files named after the input into DIR (default: the current folder):
  <name>_elevation.png   elevation time series at the points
  <name>_spectrum.png    realised elevation spectrum at the origin against the
                         input's target spectrum (irregular and measured seas)
  <name>_kinematics.png  u, w and |a| from the bed to the surface under the
                         highest crest and the deepest trough at the first point
  <name>_profile.png     surface over one wave length (regular waves)

The sea comes from the library through the Python package (python/pelm_dll,
found beside this script's source tree), as a host sees it; the target
spectrum, Hs, Tp and the model from `pelm check --json` (the driver named by
PELM_DRIVER, else `pelm` on the path). Units are SI; z is up from still water,
the bed at z = -h; frequencies are angular (rad/s).
"""

from __future__ import annotations

import argparse
import json
import os
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "python"))

import matplotlib  # noqa: E402

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import pelm_dll  # noqa: E402

DPI = 150
SPECTRUM_NAMES = {"jonswap": "JONSWAP", "pierson-moskowitz": "Pierson-Moskowitz", "white noise": "white noise"}


def parse_arguments(argv):
    figures = __doc__.split("\n\n")[2]
    parser = argparse.ArgumentParser(prog="pelm plot", description="PNG figures of the sea of INPUT, for a report.",
                                     epilog=figures, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("input", metavar="INPUT", help="input file")
    parser.add_argument("--t-start", type=float, default=0.0, metavar="S", help="window start in s (default 0)")
    parser.add_argument("--t-end", type=float, default=600.0, metavar="S", help="window end in s (default 600)")
    parser.add_argument("--dt", type=float, default=0.1, metavar="S", help="time step in s (default 0.1)")
    parser.add_argument("--point", action="append", default=[], metavar="X,Y,Z",
                        help="point in m for the time series; repeat for more (default 0,0,0); "
                             "the first one also gives the kinematics profile")
    parser.add_argument("--out-dir", default=".", metavar="DIR", help="folder of the PNG files (default .)")
    # "--point -5,0,0" would read as an option: glue every value to its option.
    glued = []
    i = 0
    while i < len(argv):
        if argv[i] in ("--point", "--t-start", "--t-end", "--dt", "--out-dir") and i + 1 < len(argv):
            glued.append(argv[i] + "=" + argv[i + 1])
            i += 2
        else:
            glued.append(argv[i])
            i += 1
    args = parser.parse_args(glued)
    points = []
    for text in args.point or ["0,0,0"]:
        try:
            x, y, z = (float(v) for v in text.split(","))
        except ValueError:
            parser.error(f"--point needs X,Y,Z (three numbers), not '{text}'")
        points.append((x, y, z))
    args.points = points
    if not args.dt > 0 or not args.t_end > args.t_start:
        parser.error("the window needs --dt > 0 and --t-end after --t-start")
    return args


def check_facts(args):
    driver = os.environ.get("PELM_DRIVER", "pelm")
    command = [driver, "check", "--json", args.input, f"--t-start={args.t_start!r}",
               f"--t-end={args.t_end!r}", f"--dt={args.dt!r}"]
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode == 2 or not result.stdout.strip():
        sys.exit(f"pelm plot: {driver} check failed: {result.stderr.strip()}")
    facts = json.loads(result.stdout)
    if result.returncode != 0:
        for line in facts.get("errors", []):
            print(line.strip(), file=sys.stderr)
        sys.exit(f"pelm plot: the library did not set up the sea of {args.input} (see pelm check {args.input})")
    return facts


def number(value, digits=3):
    return f"{value:.{digits}g}"


def point_label(point):
    return f"x = {number(point[0])} m, y = {number(point[1])} m"


def save(figure, path):
    figure.savefig(path, dpi=DPI)
    plt.close(figure)
    print(f"wrote {path}")


def elevation_figure(name, times, etas, points, facts, path):
    figure, axes = plt.subplots(figsize=(9, 4), constrained_layout=True)
    for eta, point in zip(etas, points):
        axes.plot(times, eta, linewidth=0.9, label=point_label(point))
    axes.axhline(0.0, color="0.6", linewidth=0.6)
    axes.set_xlabel("time t (s)")
    axes.set_ylabel("surface elevation η (m)")
    axes.set_xlim(times[0], times[-1])
    axes.set_title(f"{name}: surface elevation ({facts['model']}, depth {number(facts['depth'])} m)")
    axes.grid(True, linewidth=0.3)
    axes.legend(loc="upper right", fontsize="small")
    save(figure, path)


def realised_spectrum(eta, dt):
    """One-sided periodogram S(ω) in m² s/rad of the record (mean removed),
    and the same averaged over bands of adjacent bins."""
    n = eta.size
    coefficients = np.fft.rfft(eta - eta.mean())
    omega = 2.0 * np.pi * np.fft.rfftfreq(n, dt)
    density = 2.0 * np.abs(coefficients) ** 2 * dt / (n * 2.0 * np.pi)
    density[0] /= 2.0
    if n % 2 == 0:
        density[-1] /= 2.0
    width = max(1, int(round(omega.size / 400)))
    bands = omega.size // width
    smooth_omega = omega[: bands * width].reshape(bands, width).mean(axis=1)
    smooth_density = density[: bands * width].reshape(bands, width).mean(axis=1)
    return omega, density, smooth_omega, smooth_density, width


def spectrum_figure(name, eta, dt, facts, path):
    omega, density, smooth_omega, smooth_density, width = realised_spectrum(eta, dt)
    d_omega = omega[1] - omega[0]
    variance = float(np.sum(density) * d_omega)
    hs = 4.0 * np.sqrt(variance)
    tp = 2.0 * np.pi / smooth_omega[np.argmax(smooth_density)] if smooth_density.max() > 0 else float("nan")
    figure, axes = plt.subplots(figsize=(8, 4.5), constrained_layout=True)
    label = "realised, periodogram at the origin"
    if width > 1:
        axes.plot(omega, density, color="0.75", linewidth=0.5, label=label)
        label = f"realised, averaged over {width} bins"
    stated = f"Hs {number(hs)} m" if facts.get("spectrum") == "white noise" else f"Hs {number(hs)} m, Tp {number(tp)} s"
    axes.plot(smooth_omega, smooth_density, color="tab:blue", linewidth=1.2, label=f"{label}: {stated}")
    target = np.array(facts.get("target_density") or [], dtype=float).reshape(-1, 2)
    spectrum = facts.get("spectrum")
    if target.size:
        params = facts["spectrum_parameters"]
        text = f"target {SPECTRUM_NAMES.get(spectrum, spectrum)}: Hs {number(facts['target_hs'])} m"
        if facts.get("target_tp") is not None:
            text += f", Tp {number(facts['target_tp'])} s"
        if "gamma" in params:
            text += f", γ {number(params['gamma'])}"
        if "tz" in params:
            text += f" (Tz {number(params['tz'])} s)"
        if "cutoff_hz" in params:
            text += f", cut-off {number(params['cutoff_hz'])} Hz"
        axes.plot(target[:, 0], target[:, 1], color="tab:red", linewidth=1.5, linestyle="--", label=text)
        top = max(target[:, 1].max(), smooth_density.max())
        # Up to where the target has fallen to a small share of its peak (the
        # whole band for a flat spectrum).
        significant = target[target[:, 1] > 0.005 * target[:, 1].max(), 0]
        high = min(target[-1, 0], 1.3 * significant[-1])
    else:
        top = smooth_density.max()
        # Up to where the record holds all but a thousandth of its variance.
        cumulative = np.cumsum(density)
        high = 1.3 * omega[np.searchsorted(cumulative, 0.999 * cumulative[-1])] if cumulative[-1] > 0 else omega[-1]
        if facts.get("target_hs") is not None:
            axes.plot([], [], " ", label=f"record's kept components: Hs {number(facts['target_hs'])} m")
    axes.set_xlim(0.0, min(high, omega[-1]))
    axes.set_ylim(0.0, 1.15 * top if top > 0 else 1.0)
    axes.set_xlabel("angular frequency ω (rad/s)")
    axes.set_ylabel("elevation spectrum S(ω) (m² s/rad)")
    axes.set_title(f"{name}: elevation spectrum over {number(times_span(facts))} s ({facts['model']})")
    axes.grid(True, linewidth=0.3)
    axes.legend(loc="upper right", fontsize="small")
    save(figure, path)


def times_span(facts):
    return facts["t_end"] - facts["t_start"]


def kinematics_figure(name, sea, times, eta, point, depth, facts, path):
    instants = [("crest", int(np.argmax(eta)), "tab:blue", "-"),
                ("trough", int(np.argmin(eta)), "tab:orange", "--")]
    figure, axes = plt.subplots(1, 3, figsize=(11, 5), sharey=True, constrained_layout=True)
    extent = {}
    for label, index, colour, style in instants:
        t, surface = times[index], eta[index]
        # From the bed to just below the surface: at and above it the library answers 0.
        z = -depth + (surface + depth) * np.linspace(0.0, 1.0, 121)
        z[0] += 1e-9 * depth
        z[-1] -= 1e-6 * max(1.0, abs(surface))
        k = sea.kinematics(t, point[0], point[1], z)
        u, w = k.velocity[:, 0], k.velocity[:, 2]
        a = np.linalg.norm(k.acceleration, axis=1)
        text = f"{label}, t = {number(t, 5)} s, η = {number(surface)} m"
        for axis, values in zip(axes, (u, w, a)):
            axis.plot(values, z, color=colour, linestyle=style, label=text)
            axis.axhline(surface, color=colour, linewidth=0.6, linestyle=":")
            extent[id(axis)] = max(extent.get(id(axis), 0.0), float(np.max(np.abs(values))))
    for axis, quantity in zip(axes, ("horizontal velocity u (m/s)", "vertical velocity w (m/s)",
                                     "acceleration |a| (m/s²)")):
        axis.axhline(0.0, color="0.6", linewidth=0.6)
        axis.axvline(0.0, color="0.8", linewidth=0.6)
        axis.set_xlabel(quantity)
        axis.grid(True, linewidth=0.3)
        axis.ticklabel_format(axis="x", useOffset=False)
    # A quantity that is zero but for rounding (w under a crest of a regular
    # wave) is drawn on the scale of the velocities, not of the rounding.
    scale = max(extent.values())
    for axis in axes[:2]:
        if extent[id(axis)] < 1e-6 * scale:
            axis.set_xlim(-0.1 * scale, 0.1 * scale)
    axes[0].set_ylabel("z (m), up from still water; bed at z = -h")
    axes[0].set_ylim(-depth, 1.1 * max(eta.max(), 0.0) + 0.02 * depth)
    axes[0].plot([], [], color="0.4", linewidth=0.6, linestyle=":", label="surface at that instant")
    axes[0].legend(loc="lower right", fontsize="small")
    figure.suptitle(f"{name}: kinematics under the highest crest and the deepest trough at "
                    f"{point_label(point)} ({facts['model']}, h = {number(depth)} m)")
    save(figure, path)


def profile_figure(name, sea, times, eta, facts, path):
    length = facts["wave_length"]
    t_crest = times[int(np.argmax(eta))]
    x = np.linspace(-0.5 * length, 0.5 * length, 401)
    surface = sea.elevation(t_crest, x, 0.0)
    height = facts["height"]
    figure, axes = plt.subplots(figsize=(9, 4), constrained_layout=True)
    axes.plot(x, surface, color="tab:blue", linewidth=1.5, label=f"{facts['model']} surface at t = {number(t_crest, 5)} s")
    if facts["model"] != "reg_airy":  # a linear wave is its own comparison
        axes.plot(x, 0.5 * height * np.cos(2.0 * np.pi * x / length), color="0.5", linestyle="--",
                  linewidth=1.0, label="linear wave of the same H and L, for comparison")
    axes.axhline(0.0, color="0.6", linewidth=0.6)
    axes.set_xlim(x[0], x[-1])
    axes.set_xlabel("x (m), crest at the centre")
    axes.set_ylabel("surface elevation η (m)")
    details = (f"H {number(height)} m, T {number(facts['period'])} s, L {number(length)} m, "
               f"H/L {number(facts['steepness'])}, H/Hb {number(facts['breaking_ratio'])}")
    if facts.get("current") is not None:
        details += f", U {number(facts['current'])} m/s"
    axes.set_title(f"{name}: surface over one wave length\n{details}", fontsize="medium")
    axes.annotate(f"crest {number(surface.max())} m", (x[np.argmax(surface)], surface.max()),
                  textcoords="offset points", xytext=(8, -12), fontsize="small")
    axes.annotate(f"trough {number(surface.min())} m", (x[np.argmin(surface)], surface.min()),
                  textcoords="offset points", xytext=(8, 4), fontsize="small")
    axes.grid(True, linewidth=0.3)
    axes.legend(loc="lower center", fontsize="small")
    save(figure, path)


def main(argv):
    args = parse_arguments(argv)
    facts = check_facts(args)
    name = Path(args.input).stem
    out = Path(args.out_dir)
    out.mkdir(parents=True, exist_ok=True)
    # The library writes its messages to standard output; keep ours after them.
    sys.stdout.flush()
    sea = pelm_dll.Sea(args.input, args.t_start, args.t_end, args.dt)
    steps = int(round((args.t_end - args.t_start) / args.dt))
    times = args.t_start + args.dt * np.arange(steps + 1)
    etas = [sea.elevation(times, p[0], p[1]) for p in args.points]
    depth = facts["depth"]
    if facts["model"] == "wavemods" and not depth > 0:
        depth = float(np.max(np.abs(etas[0]))) * 10.0 or 1.0

    elevation_figure(name, times, etas, args.points, facts, out / f"{name}_elevation.png")
    if facts["model"] in ("ireg_airy", "det_airy"):
        origin = etas[0] if args.points[0][:2] == (0.0, 0.0) else sea.elevation(times, 0.0, 0.0)
        spectrum_figure(name, origin, args.dt, facts, out / f"{name}_spectrum.png")
    kinematics_figure(name, sea, times, etas[0], args.points[0], depth, facts, out / f"{name}_kinematics.png")
    if facts["model"] in ("strf", "reg_airy") and facts.get("wave_length"):
        profile_figure(name, sea, times, etas[0], facts, out / f"{name}_profile.png")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
