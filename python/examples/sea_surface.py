"""Elevation along a line and kinematics down a column, in one call each.

    PYTHONPATH=python python3 python/examples/sea_surface.py [INPUT]
"""

import sys
from pathlib import Path

import numpy as np

import pelm_dll

source = Path(__file__).resolve().parents[2]
input_file = sys.argv[1] if len(sys.argv) > 1 else source / "examples" / "regular_wave.inp"
sea = pelm_dll.Sea(input_file, t_start=0.0, t_end=60.0, dt=0.1)

t = np.arange(0.0, 20.0, 0.5)[:, None]  # times down, positions across
x = np.linspace(0.0, 100.0, 5)
eta = sea.elevation(t, x, 0.0)
print("elevation (m) at x =", x)
print(np.round(eta[:5], 3))

z = np.linspace(-30.0, 0.0, 7)
column = sea.kinematics(2.5, 0.0, 0.0, z)
print("horizontal velocity (m/s) at t = 2.5 s, x = 0, z =", z)
print(np.round(column.velocity[:, 0], 3))
