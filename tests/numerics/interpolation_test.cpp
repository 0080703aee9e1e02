#include "numerics/interpolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace pelm {
namespace {

TEST(CellRemainder, PositionInsideTheCell) {
  const struct {
    double a, q, r, expected;
  } cases[] = {
      {2.5, 0.0, 1.0, 0.5},
      {-0.25, 0.0, 1.0, 0.75},
      {3.0, 0.0, 1.5, 0.0},
      {7.0, 0.0, 2.0, 1.0},
      {-7.0, 0.0, 2.0, 1.0},
      // q != 0: the floor is taken of a/d, not of (a - q)/d, and q is added.
      {5.0, 1.0, 3.0, 2.0},
      {-1.0, 2.0, 5.0, 4.0},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(cell_remainder(c.a, c.q, c.r), c.expected)
        << "a = " << c.a << ", q = " << c.q << ", r = " << c.r;
}

TEST(TwoPoint, ReproducesAStraightLineInsideAndOutsideTheNodes) {
  const auto line = [](double x) { return 1.5 - 0.75 * x; };
  const double x1 = -0.4, x2 = 2.2;
  for (double x : {x1, x2, 0.5 * (x1 + x2), -3.0, 0.1, 5.0})
    EXPECT_NEAR(interpolate_two_point(x, x1, x2, line(x1), line(x2)), line(x), 1e-14)
        << "x = " << x;
  EXPECT_EQ(interpolate_two_point(x1, x1, x2, 4.0, 9.0), 4.0);
  EXPECT_EQ(interpolate_two_point(x2, x1, x2, 4.0, 9.0), 9.0);
}

TEST(TwoPoint, EqualNodesGiveANonFiniteResult) {
  EXPECT_FALSE(std::isfinite(interpolate_two_point(0.5, 1.0, 1.0, 2.0, 3.0)));
}

TEST(TwoPointVector, InterpolatesEveryElementOfStridedSections) {
  // y1 and y2 are columns of a 4 x 3 row-major table; out is every second element.
  const std::vector<double> y1 = {1, 0, 0, 2, 0, 0, -3, 0, 0, 4, 0, 0};
  const std::vector<double> y2 = {5, 0, 0, 6, 0, 0, 1, 0, 0, -4, 0, 0};
  std::vector<double> out(8, 99.0);
  const double x1 = 10.0, x2 = 14.0, x = 11.0;
  interpolate_two_point_vector(4, out.data(), 2, x, x1, x2, y1.data(), y2.data(), 3);
  for (int m = 0; m < 4; ++m) {
    EXPECT_NEAR(out[2 * m], 0.75 * y1[3 * m] + 0.25 * y2[3 * m], 1e-15) << "m = " << m;
    EXPECT_EQ(out[2 * m + 1], 99.0) << "m = " << m;
  }
}

TEST(Bilinear, CornersCentreAndBilinearFunctions) {
  const double x1 = 1.0, y1 = -2.0, dx = 0.5, dy = 4.0;
  const auto f = [](double x, double y) { return 0.3 + 2.0 * x - 1.25 * y + 0.5 * x * y; };
  const double v1 = f(x1, y1), v2 = f(x1 + dx, y1), v3 = f(x1 + dx, y1 + dy), v4 = f(x1, y1 + dy);
  const auto at = [&](double x, double y) {
    return interpolate_bilinear(x, y, x1, y1, dx, dy, v1, v2, v3, v4);
  };
  EXPECT_NEAR(at(x1, y1), v1, 1e-14);
  EXPECT_NEAR(at(x1 + dx, y1), v2, 1e-14);
  EXPECT_NEAR(at(x1 + dx, y1 + dy), v3, 1e-14);
  EXPECT_NEAR(at(x1, y1 + dy), v4, 1e-14);
  EXPECT_NEAR(at(x1 + dx / 2, y1 + dy / 2), (v1 + v2 + v3 + v4) / 4, 1e-14);
  for (double x : {1.1, 1.37, 1.5, 2.0})
    for (double y : {-2.0, -0.3, 1.9, 3.0}) EXPECT_NEAR(at(x, y), f(x, y), 1e-13) << x << ", " << y;
}

}  // namespace
}  // namespace pelm
