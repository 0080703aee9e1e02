#pragma once
// An oracle of the linear dispersion relation that shares nothing with the
// library's solver: the root of omega^2 = g k tanh(k h), by bisection on the
// monotonic residual, to rounding.

#include <cmath>

namespace pelm {

inline double bisected_wave_number(double omega, double h, double g) {
  double lo = 0.0, hi = 1.0;
  while (g * hi * std::tanh(hi * h) < omega * omega) hi *= 2.0;
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (lo + hi);
    (g * mid * std::tanh(mid * h) < omega * omega ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

}  // namespace pelm
