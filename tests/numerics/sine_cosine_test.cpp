#include "numerics/sine_cosine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace pelm {
namespace {

// Error of `value` in units in the last place of the exact result, judged
// against the 64-bit-mantissa long double functions.
double ulp_error(double value, long double exact) {
  const double rounded = static_cast<double>(exact);
  const double ulp = std::nextafter(std::fabs(rounded), INFINITY) - std::fabs(rounded);
  return static_cast<double>(std::fabs(static_cast<long double>(value) - exact) / ulp);
}

bool have_wider_reference() { return std::numeric_limits<long double>::digits >= 64; }

TEST(SineCosine, WithinAnUlpOverThePhasesOfASea) {
  if (!have_wider_reference()) GTEST_SKIP() << "long double is no wider than double here";
  struct Range {
    double scale;
    double worst_sine = 0.0, worst_cosine = 0.0;
  };
  std::vector<Range> ranges = {{1.0}, {10.0}, {1e3}, {1e5}, {1.6e6}};
  std::mt19937_64 random(20261208);
  for (auto& range : ranges) {
    std::uniform_real_distribution<double> phase(-range.scale, range.scale);
    for (int i = 0; i < 200000; ++i) {
      const double x = phase(random);
      double s = 0.0, c = 0.0;
      sine_cosine(x, s, c);
      range.worst_sine = std::max(range.worst_sine, ulp_error(s, std::sin(static_cast<long double>(x))));
      range.worst_cosine = std::max(range.worst_cosine, ulp_error(c, std::cos(static_cast<long double>(x))));
      ASSERT_EQ(sine(x), s) << x;
    }
    // Measured about 0.9 ulp at worst; the C library is within about 0.52.
    EXPECT_LT(range.worst_sine, 1.0) << "scale " << range.scale;
    EXPECT_LT(range.worst_cosine, 1.0) << "scale " << range.scale;
  }
}

// Near a multiple of pi/2 the result is the small difference between x and
// that multiple: the reduction must keep it to the last bit.
TEST(SineCosine, NearMultiplesOfHalfPiTheSmallResultKeepsItsDigits) {
  if (!have_wider_reference()) GTEST_SKIP() << "long double is no wider than double here";
  double worst = 0.0;
  for (long k = -400000; k <= 400000; k += 997) {
    double x = static_cast<double>(k) * 1.5707963267948966;
    for (int step = 0; step < 4; ++step) {
      double s = 0.0, c = 0.0;
      sine_cosine(x, s, c);
      worst = std::max(worst, ulp_error(s, std::sin(static_cast<long double>(x))));
      worst = std::max(worst, ulp_error(c, std::cos(static_cast<long double>(x))));
      x = std::nextafter(x, INFINITY);
    }
  }
  EXPECT_LT(worst, 1.0);
}

TEST(SineCosine, SpecialArguments) {
  struct Case {
    double x, sine, cosine;
  };
  const std::vector<Case> cases = {
      {0.0, 0.0, 1.0}, {1e-300, 1e-300, 1.0}, {-1e-20, -1e-20, 1.0},
      // Past the reduction range the C library answers.
      {1e10, std::sin(1e10), std::cos(1e10)}, {-3e7, std::sin(-3e7), std::cos(-3e7)},
  };
  for (const auto& c : cases) {
    double s = 9.0, co = 9.0;
    sine_cosine(c.x, s, co);
    EXPECT_EQ(s, c.sine) << c.x;
    EXPECT_EQ(co, c.cosine) << c.x;
  }
  double s = 0.0, c = 0.0;
  sine_cosine(std::numeric_limits<double>::infinity(), s, c);
  EXPECT_TRUE(std::isnan(s) && std::isnan(c));
  sine_cosine(std::numeric_limits<double>::quiet_NaN(), s, c);
  EXPECT_TRUE(std::isnan(s) && std::isnan(c));
}

TEST(SineCosine, QuadrantsFollowTheUnitCircle) {
  const double quarter = 1.5707963267948966;
  for (int q = -8; q <= 8; ++q) {
    double s = 0.0, c = 0.0;
    sine_cosine(q * quarter + 0.3, s, c);
    EXPECT_NEAR(s, std::sin(q * quarter + 0.3), 2e-16) << q;
    EXPECT_NEAR(c, std::cos(q * quarter + 0.3), 2e-16) << q;
  }
}

}  // namespace
}  // namespace pelm
