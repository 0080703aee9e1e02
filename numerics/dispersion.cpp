#include "numerics/dispersion.h"

#include <cmath>

#include "numerics/constants.h"
#include "runtime/console.h"

namespace pelm {
namespace {

// Starting guess and step tolerance shared by every wave-number request. The
// residual is increasing and convex in k for k > 0, so from 2.0 rad/m the
// iteration approaches the root from above for all but the shortest waves.
constexpr double kStartWaveNumber = 2.0;    // rad/m
constexpr double kStepTolerance = 1e-06;    // rad/m
constexpr double kSlopeStep = 0.0001;       // rad/m
constexpr std::int32_t kMaxIterations = 100;

}  // namespace

double newton_raphson(double x0, double p1, double p2, ResidualFunction residual,
                      SlopeFunction slope, double tolerance) {
  double x = x0;
  double step = 2.0 * tolerance;
  std::int32_t n = 0;
  while (step > tolerance) {
    ++n;
    const double f = residual(x, p1, p2);
    const double d = slope(x, p1, p2);
    const double x_new = x - f / d;
    step = std::fabs(x_new - x);
    x = x_new;
    if (n > kMaxIterations) {
      write_line("More that 100 iterations in newton raphson iteration of induction factor");
      return x;
    }
  }
  return x;
}

double dispersion_residual(double k, double omega, double h) {
  return kGravity * k * std::tanh(k * h) - omega * omega;
}

double dispersion_slope(double k, double omega, double h) {
  const double above = kGravity * (k + kSlopeStep) * std::tanh((k + kSlopeStep) * h) - omega * omega;
  const double below = kGravity * (k - kSlopeStep) * std::tanh((k - kSlopeStep) * h) - omega * omega;
  return (above - below) / 0.0002;
}

double wave_number(double omega, double h) {
  return newton_raphson(kStartWaveNumber, omega, h, dispersion_residual, dispersion_slope,
                        kStepTolerance);
}

}  // namespace pelm
