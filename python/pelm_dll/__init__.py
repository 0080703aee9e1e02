"""pelm_dll from Python: the wave-kinematics library through its four exports.

    import pelm_dll
    sea = pelm_dll.Sea("examples/regular_wave.inp", t_start=0.0, t_end=60.0, dt=0.1)
    eta = sea.elevation(t, x, y)             # arrays or scalars, broadcast
    k = sea.kinematics(t, x, y, z)           # k.velocity[..., 3], k.acceleration[..., 3], k.pressure

Frame and units are the library's: SI (m, s, m/s, m/s^2, Pa), x and y
horizontal, z up from the still-water level, the bed at z = -h; the pressure
is the dynamic part only.

The library is found in the file named by the environment variable
PELM_DLL_LIBRARY, or else in a build tree of the source tree this package
sits in (build*/interface/libpelm_dll.so, pelm_dll.dll), or else on the
system's library path.

The library's state is process-wide: one sea at a time. A second Sea
replaces the first, and the first then refuses further use. A fatal input
error (an input or data file that cannot be read) ends the process, Python
included, as it ends any host: try an input with `pelm run` first.
"""

from __future__ import annotations

import ctypes
import ctypes.util
import os
import sys
from pathlib import Path
from typing import NamedTuple

import numpy as np

__all__ = ["Sea", "Kinematics", "library_path"]

_c_double_p = ctypes.POINTER(ctypes.c_double)


def library_path() -> str:
    """The path of the library this package loads."""
    named = os.environ.get("PELM_DLL_LIBRARY")
    if named:
        return named
    names = ["pelm_dll.dll"] if sys.platform == "win32" else ["libpelm_dll.so"]
    source_tree = Path(__file__).resolve().parents[2]
    for build in sorted(source_tree.glob("build*")):
        for name in names:
            for candidate in (build / "interface" / name, build / name):
                if candidate.is_file():
                    return str(candidate)
    found = ctypes.util.find_library("pelm_dll")
    if found:
        return found
    raise OSError(
        "pelm_dll: no built library found; build the source tree or set PELM_DLL_LIBRARY"
    )


_library = None


def _load():
    global _library
    if _library is None:
        path = library_path()
        # 32-bit Windows: the exports use the standard calling convention.
        if sys.platform == "win32" and ctypes.sizeof(ctypes.c_void_p) == 4:
            lib = ctypes.WinDLL(path)
        else:
            lib = ctypes.CDLL(path)
        lib.init.argtypes = [ctypes.c_char_p, ctypes.c_int32, _c_double_p, _c_double_p, _c_double_p]
        lib.set_new_time.argtypes = [_c_double_p]
        lib.get_sea_elevation.argtypes = [_c_double_p, _c_double_p]
        lib.get_kinematics.argtypes = [_c_double_p, _c_double_p, _c_double_p, _c_double_p]
        for function in (lib.init, lib.set_new_time, lib.get_sea_elevation, lib.get_kinematics):
            function.restype = None
        _library = lib
    return _library


class Kinematics(NamedTuple):
    """Kinematics at broadcast points: velocity and acceleration have a last
    axis of 3 (x, y, z components); pressure has the broadcast shape."""

    velocity: np.ndarray
    acceleration: np.ndarray
    pressure: np.ndarray


class Sea:
    """One sea set up by the library's init for a host window [t_start, t_end]
    with time step dt (s), from an input file."""

    _current: "Sea | None" = None

    def __init__(self, input_file, t_start: float, t_end: float, dt: float):
        lib = _load()
        name = os.fsencode(input_file)
        window = [ctypes.c_double(float(v)) for v in (t_start, t_end, dt)]
        lib.init(name, len(name), *(ctypes.byref(v) for v in window))
        self.input_file = os.fspath(input_file)
        self.t_start, self.t_end, self.dt = (float(v) for v in (t_start, t_end, dt))
        Sea._current = self

    def _library(self):
        if Sea._current is not self:
            raise RuntimeError(
                "pelm_dll: this Sea was replaced by a later one; the library holds one sea per process"
            )
        return _load()

    def elevation(self, t, x, y) -> np.ndarray:
        """Surface elevation (m) at times t and positions (x, y), broadcast."""
        lib = self._library()
        t, x, y = np.broadcast_arrays(*(np.asarray(v, dtype=float) for v in (t, x, y)))
        eta = np.zeros(t.shape)
        time = ctypes.c_double()
        xy = (ctypes.c_double * 2)()
        out = ctypes.c_double()
        for index in np.ndindex(t.shape):
            time.value = t[index]
            xy[0], xy[1] = x[index], y[index]
            out.value = 0.0
            lib.set_new_time(ctypes.byref(time))
            lib.get_sea_elevation(xy, ctypes.byref(out))
            eta[index] = out.value
        return eta

    def kinematics(self, t, x, y, z) -> Kinematics:
        """Velocity (m/s), acceleration (m/s^2) and dynamic pressure (Pa) at
        times t and points (x, y, z), broadcast. Points outside the water get
        zeros."""
        lib = self._library()
        t, x, y, z = np.broadcast_arrays(*(np.asarray(v, dtype=float) for v in (t, x, y, z)))
        velocity = np.zeros(t.shape + (3,))
        acceleration = np.zeros(t.shape + (3,))
        pressure = np.zeros(t.shape)
        time = ctypes.c_double()
        pos = (ctypes.c_double * 3)()
        vel = (ctypes.c_double * 3)()
        acc = (ctypes.c_double * 3)()
        pdyn = ctypes.c_double()
        for index in np.ndindex(t.shape):
            time.value = t[index]
            pos[0], pos[1], pos[2] = x[index], y[index], z[index]
            vel[0] = vel[1] = vel[2] = acc[0] = acc[1] = acc[2] = pdyn.value = 0.0
            lib.set_new_time(ctypes.byref(time))
            lib.get_kinematics(pos, vel, acc, ctypes.byref(pdyn))
            velocity[index] = vel[:]
            acceleration[index] = acc[:]
            pressure[index] = pdyn.value
        return Kinematics(velocity, acceleration, pressure)
