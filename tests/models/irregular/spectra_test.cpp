#include "models/irregular/spectra.h"

#include <gtest/gtest.h>

#include <cmath>

#include "numerics/constants.h"

namespace pelm {
namespace {

// Trapezoidal integral of f over [a, b] with n steps.
template <typename F>
double integrate(F f, double a, double b, int n) {
  const double h = (b - a) / n;
  double sum = 0.5 * (f(a) + f(b));
  for (int i = 1; i < n; ++i) sum += f(a + i * h);
  return sum * h;
}

TEST(Jonswap, GammaOneIsThePiersonMoskowitzShapeAtThePeakFrequency) {
  const double hs = 3.0, tp = 9.0;
  const double wp = 2.0 * kPi / tp;
  for (double w : {0.3, 0.6, wp, 1.0, 2.0}) {
    const double expected =
        0.3125 * hs * hs * std::pow(wp, 4) * std::pow(w, -5) * std::exp(-1.25 * std::pow(wp / w, 4));
    EXPECT_NEAR(jonswap_density(hs, tp, 1.0, w), expected, 1e-13 * expected) << w;
  }
}

TEST(Jonswap, EnhancementAtThePeakIsGamma) {
  const double hs = 4.0, tp = 10.0, gamma = 3.3;
  const double wp = 2.0 * kPi / tp;
  const double ratio = jonswap_density(hs, tp, gamma, wp) / jonswap_density(hs, tp, 1.0, wp);
  // The scale factor (1 - 0.287 ln gamma) multiplies every frequency.
  EXPECT_NEAR(ratio, gamma * (1.0 - static_cast<double>(0.287f) * std::log(gamma)), 1e-13);
}

TEST(Jonswap, PeakWidthSwitchesJustAbovePeak) {
  const double hs = 4.0, tp = 10.0, gamma = 3.3;
  const double wp = 2.0 * kPi / tp;
  const double dw = 0.05;
  // gamma^r with r = exp(-(w - wp)^2 / (2 sigma^2 wp^2)), once the overall
  // scale (1 - 0.287 ln gamma) is divided out.
  const double scale = 1.0 - static_cast<double>(0.287f) * std::log(gamma);
  auto enhancement = [&](double w) {
    return std::log(jonswap_density(hs, tp, gamma, w) / jonswap_density(hs, tp, 1.0, w) / scale) /
           std::log(gamma);
  };
  const double r_below = enhancement(wp - dw);
  const double r_above = enhancement(wp + dw);
  const double sigma_below = std::sqrt(-dw * dw / (2.0 * wp * wp * std::log(r_below)));
  const double sigma_above = std::sqrt(-dw * dw / (2.0 * wp * wp * std::log(r_above)));
  EXPECT_NEAR(sigma_below, 0.07, 1e-7);
  EXPECT_NEAR(sigma_above, 0.09, 1e-7);
}

TEST(Spectra, ZeroAtAndBelowZeroFrequency) {
  for (double w : {0.0, -0.5}) {
    EXPECT_EQ(jonswap_density(4, 10, 3.3, w), 0.0);
    EXPECT_EQ(pierson_moskowitz_density(4, 8, w), 0.0);
  }
}

TEST(PiersonMoskowitz, VarianceIsHsSquaredOver16AndPeakWhereExpected) {
  const double hs = 2.5, tz = 7.0;
  auto s = [&](double w) { return pierson_moskowitz_density(hs, tz, w); };
  EXPECT_NEAR(integrate(s, 1e-3, 20.0, 200000), hs * hs / 16.0, 1e-6);
  const double peak = 2.0 * kPi / tz * std::pow(4.0 / (5.0 * kPi), 0.25);
  EXPECT_GT(s(peak), s(peak * 0.99));
  EXPECT_GT(s(peak), s(peak * 1.01));
}

TEST(PiersonMoskowitz, MeanZeroUpcrossingPeriodIsTz) {
  const double hs = 2.5, tz = 7.0;
  auto s = [&](double w) { return pierson_moskowitz_density(hs, tz, w); };
  auto s2 = [&](double w) { return w * w * s(w); };
  const double m0 = integrate(s, 1e-3, 60.0, 400000);
  const double m2 = integrate(s2, 1e-3, 60.0, 400000);
  EXPECT_NEAR(2.0 * kPi * std::sqrt(m0 / m2), tz, 1e-3);
}

TEST(WhiteNoise, FlatDensityWithTheVarianceOverTheBand) {
  const double v = 0.8, fc = 0.4;
  EXPECT_NEAR(white_noise_density(v, fc) * 2.0 * kPi * fc, v, 1e-15);
}

}  // namespace
}  // namespace pelm
