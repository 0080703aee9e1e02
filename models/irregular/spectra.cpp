#include "models/irregular/spectra.h"

#include <cmath>

#include "numerics/constants.h"

namespace pelm {
namespace {

// The JONSWAP shape constants were single-precision literals where the
// spectrum was first coded; their widened values are kept so that the seas
// of existing input files do not move.
constexpr double kGammaLogFactor = static_cast<double>(0.287f);  // 0.28700000047683716
constexpr double kSigmaBelowPeak = static_cast<double>(0.07f);   // 0.07000000029802322
constexpr double kSigmaAbovePeak = static_cast<double>(0.09f);   // 0.09000000357627869

}  // namespace

double jonswap_density(double hs, double tp, double gamma, double omega) {
  if (omega <= 0.0) return 0.0;
  const double g = kGravity;
  const double omega_p = 2.0 * kPi / tp;
  const double sigma = omega <= omega_p ? kSigmaBelowPeak : kSigmaAbovePeak;
  // Phillips-type constant scaled to Hs; g^2 cancels against the g^2 of the shape.
  const double alpha = 0.3125 * hs * hs * std::pow(omega_p, 4) / (g * g) *
                       (1.0 - kGammaLogFactor * std::log(gamma));
  const double r = std::exp(-(omega - omega_p) * (omega - omega_p) /
                            (2.0 * sigma * sigma * omega_p * omega_p));
  return alpha * g * g * std::pow(omega, -5) * std::exp(-1.25 * std::pow(omega_p / omega, 4)) *
         std::pow(gamma, r);
}

double pierson_moskowitz_density(double hs, double tz, double omega) {
  if (omega <= 0.0) return 0.0;
  const double x = omega * tz / (2.0 * kPi);
  const double x2 = x * x;
  const double x4 = x2 * x2;
  const double x_minus5 = 1.0 / (x4 * x);
  const double x_minus4 = 1.0 / x4;
  return hs * hs * tz / (8.0 * kPi * kPi) * x_minus5 * std::exp(-x_minus4 / kPi);
}

double white_noise_density(double v, double fc) { return v / (2.0 * kPi * fc); }

}  // namespace pelm
