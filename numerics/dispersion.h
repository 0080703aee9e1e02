#pragma once
// Wave number of the linear dispersion relation
//     omega^2 = g k tanh(k h)
// by Newton-Raphson iteration with a central-difference derivative.

#include <cstdint>

namespace pelm {

using ResidualFunction = double (*)(double x, double p1, double p2);
using SlopeFunction = double (*)(double x, double p1, double p2);

// Newton-Raphson from x0 until a step is no larger than `tolerance` (an
// absolute step in x, not a residual). After 101 updates it writes a
// non-convergence line and returns the 101st estimate. A zero derivative is
// not guarded: the non-finite step ends the loop.
double newton_raphson(double x0, double p1, double p2, ResidualFunction residual,
                      SlopeFunction slope, double tolerance);

// g k tanh(k h) - omega^2.
double dispersion_residual(double k, double omega, double h);

// d/dk of the residual by central difference with step 1e-4 rad/m.
double dispersion_slope(double k, double omega, double h);

// The wave number (rad/m) for angular frequency omega (rad/s) in depth h (m):
// Newton-Raphson from 2.0 rad/m with step tolerance 1e-6 rad/m. Every linear
// model obtains its wave numbers here.
double wave_number(double omega, double h);

}  // namespace pelm
