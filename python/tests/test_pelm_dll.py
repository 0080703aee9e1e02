"""The Python package against linear theory and its own contract."""

import math
from pathlib import Path

import numpy as np
import pytest

import pelm_dll

EXAMPLES = Path(__file__).resolve().parents[2] / "examples"
REGULAR = EXAMPLES / "regular_wave.inp"  # H = 2 m, T = 10 s, h = 30 m
G = 9.81000041961669921875


def wave_number(omega, h):
    """Root of omega^2 = g k tanh(k h), by bisection (independent of the library)."""
    low, high = 1e-9, 10.0
    for _ in range(200):
        k = 0.5 * (low + high)
        if G * k * math.tanh(k * h) < omega * omega:
            low = k
        else:
            high = k
    return 0.5 * (low + high)


@pytest.fixture
def regular():
    return pelm_dll.Sea(REGULAR, 0.0, 60.0, 0.1)


def test_regular_wave_against_linear_theory(regular):
    a, omega, h = 1.0, 2 * math.pi / 10.0, 30.0
    k = wave_number(omega, h)
    t = np.linspace(0.0, 20.0, 41)[:, None]
    x = np.array([0.0, 12.5, -40.0])
    eta = regular.elevation(t, x, 0.0)
    assert eta.shape == (41, 3)
    np.testing.assert_allclose(eta, a * np.sin(omega * t - k * x), atol=1e-6)

    # Below the surface, Wheeler stretching maps the column from the bed to eta
    # onto the still-water column.
    z = -5.0
    kin = regular.kinematics(t, x, 0.0, z)
    zs = h * (z + h) / (h + eta) - h
    phase = omega * t - k * x
    u = a * omega * np.cosh(k * (zs + h)) / np.sinh(k * h) * np.sin(phase)
    w = a * omega * np.sinh(k * (zs + h)) / np.sinh(k * h) * np.cos(phase)
    np.testing.assert_allclose(kin.velocity[..., 0], u, atol=1e-5)
    np.testing.assert_allclose(kin.velocity[..., 1], 0.0)
    np.testing.assert_allclose(kin.velocity[..., 2], w, atol=1e-5)
    assert kin.acceleration.shape == (41, 3, 3)
    assert kin.pressure.shape == (41, 3)


def test_arrays_broadcast_and_equal_scalar_calls(regular):
    t = np.array([[0.3], [7.1]])
    x = np.array([0.0, 3.0, 9.0])
    z = -2.0
    eta = regular.elevation(t, x, 1.0)
    kin = regular.kinematics(t, x, 1.0, z)
    for i in range(2):
        for j in range(3):
            assert eta[i, j] == regular.elevation(t[i, 0], x[j], 1.0)
            one = regular.kinematics(t[i, 0], x[j], 1.0, z)
            assert np.array_equal(kin.velocity[i, j], one.velocity)
            assert np.array_equal(kin.acceleration[i, j], one.acceleration)
            assert kin.pressure[i, j] == one.pressure
    assert np.asarray(regular.elevation(1.0, 2.0, 3.0)).shape == ()


def test_points_out_of_the_water_get_zeros(regular):
    kin = regular.kinematics(np.linspace(0, 10, 11), 0.0, 0.0, 5.0)  # above any crest of 1 m
    assert not kin.velocity.any() and not kin.acceleration.any() and not kin.pressure.any()


def test_second_sea_replaces_the_first(regular):
    second = pelm_dll.Sea(EXAMPLES / "irregular_jonswap.inp", 0.0, 20.0, 0.5)
    with pytest.raises(RuntimeError, match="replaced"):
        regular.elevation(0.0, 0.0, 0.0)
    assert np.isfinite(second.elevation(np.arange(0, 20, 0.5), 0.0, 0.0)).all()
