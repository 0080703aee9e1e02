#include "runtime/portable_trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

// The oracle is the C library of the Linux build: glibc's sin and cos are
// within one unit in the last place (ulp) of the exact value, in practice
// correctly rounded, and they share no code with the functions under test.
// Both sides within one ulp of the truth allows two ulps between them.

namespace pelm {
namespace {

constexpr double kToleranceUlps = 2.0;

double ulps_apart(double value, double reference) {
  if (value == reference) return 0.0;
  const double magnitude = std::fabs(reference);
  const double ulp = std::nextafter(magnitude, std::numeric_limits<double>::infinity()) - magnitude;
  return std::fabs(value - reference) / ulp;
}

void expect_close_to_libc(double x) {
  EXPECT_LE(ulps_apart(portable_sin(x), std::sin(x)), kToleranceUlps) << "sin " << std::hexfloat << x;
  EXPECT_LE(ulps_apart(portable_cos(x), std::cos(x)), kToleranceUlps) << "cos " << std::hexfloat << x;
  double s = 0.0, c = 0.0;
  portable_sincos(x, s, c);
  EXPECT_EQ(s, portable_sin(x)) << std::hexfloat << x;
  EXPECT_EQ(c, portable_cos(x)) << std::hexfloat << x;
}

TEST(PortableTrig, AgreesWithTheCLibraryOverEveryMagnitudeOfPhase) {
  // Magnitudes from 2^-30 (the Taylor kernels alone) to 2^49 (the largest
  // exactly reduced), both signs; wave phases w t - k x live around 1..1e5.
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> mantissa(1.0, 2.0);
  std::uniform_int_distribution<int> exponent(-30, 49);
  for (int i = 0; i < 200000; ++i) {
    const double x = std::ldexp(mantissa(random), exponent(random)) * (i % 2 ? 1.0 : -1.0);
    expect_close_to_libc(x);
    if (HasFailure()) return;
  }
}

TEST(PortableTrig, KeepsItsRelativeAccuracyNextToMultiplesOfHalfPi) {
  // Here sin or cos is the tiny difference between x and k pi/2; an argument
  // reduction with a short pi (the x87 fsin has 66 bits) loses most of its
  // bits. The doubles nearest to k pi/2 and their neighbours, k up to 1e7
  // (a 1 rad/s wave after 180 days).
  std::mt19937_64 random(7);
  std::uniform_int_distribution<std::int64_t> multiple(1, 10000000);
  for (int i = 0; i < 50000; ++i) {
    const std::int64_t k = i < 100 ? i + 1 : multiple(random);
    double below = static_cast<double>(k) * 1.5707963267948966;
    double above = below;
    for (int step = 0; step < 3; ++step) {
      for (double x : {below, above}) {
        expect_close_to_libc(x);
        expect_close_to_libc(-x);
      }
      below = std::nextafter(below, 0.0);
      above = std::nextafter(above, 1e300);
    }
    if (HasFailure()) return;
  }
}

TEST(PortableTrig, SpecialArguments) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(std::signbit(portable_sin(-0.0)));
  EXPECT_FALSE(std::signbit(portable_sin(0.0)));
  EXPECT_EQ(portable_cos(-0.0), 1.0);
  EXPECT_EQ(portable_sin(1e-300), 1e-300);
  EXPECT_EQ(portable_sin(std::numeric_limits<double>::denorm_min()),
            std::numeric_limits<double>::denorm_min());
  for (double x : {inf, -inf, nan}) {
    EXPECT_TRUE(std::isnan(portable_sin(x))) << x;
    EXPECT_TRUE(std::isnan(portable_cos(x))) << x;
    double s = 0.0, c = 0.0;
    portable_sincos(x, s, c);
    EXPECT_TRUE(std::isnan(s) && std::isnan(c)) << x;
  }
  // Beyond 2^50 the result is only promised to be a finite point of the unit
  // circle, the same for sin, cos and sincos.
  for (double x : {0x1p50, -0x1.8p60, 1e100, -1e300, std::numeric_limits<double>::max()}) {
    const double s = portable_sin(x), c = portable_cos(x);
    EXPECT_NEAR(s * s + c * c, 1.0, 1e-15) << x;
    double s2 = 0.0, c2 = 0.0;
    portable_sincos(x, s2, c2);
    EXPECT_EQ(s2, s) << x;
    EXPECT_EQ(c2, c) << x;
  }
}

}  // namespace
}  // namespace pelm
