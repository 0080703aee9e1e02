#include "models/irregular/wave_field_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "interface/library_state.h"
#include "models/irregular/linear_field.h"
#include "numerics/constants.h"
#include "numerics/dispersion.h"
#include "tests/support/console_capture.h"

namespace pelm {
namespace {

struct Values {
  double eta = 0.0;
  double vel[3] = {0, 0, 0};
  double acc[3] = {0, 0, 0};
  double pdyn = 0.0;
};

// The same sea evaluated by direct summation and from the grid.
class WaveFieldGrid : public ::testing::Test {
 protected:
  void build(double t_start, double t_end, std::int32_t stretching = 1, std::int32_t ny = 1,
             double dy = 0.0) {
    state_.depth = 40.0;
    const double h = state_.depth;
    auto add = [&](double a, double period, double phase, double direction) {
      WaveComponent c;
      c.amplitude = a;
      c.omega = 2.0 * kPi / period;
      c.phase = phase;
      c.k = wave_number(c.omega, h);
      c.direction = direction;
      model_.components.push_back(c);
    };
    add(0.4, 11.0, 0.2, 0.0);
    add(0.9, 9.0, -0.7, 0.3);  // the dominant component
    add(0.3, 6.5, 1.9, -0.5);
    model_.stretching = stretching;
    model_.precompute = true;
    model_.grid = std::make_unique<PregenGrid>();
    model_.grid->ny = ny;
    model_.grid->dy = dy;
    prepare_linear_field(model_, h);
    ConsoleCapture capture;
    ASSERT_TRUE(build_wave_field_grid(model_, state_, t_start, t_end, 2.0 * kPi / 6.5 * 1.25));
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"In Pelm_dll, calculating wave field",
                                                         "In Pelm_dll, calculating wave field - done"}));
  }
  Values evaluate(bool grid, double t, double x, double y, double z) {
    model_.precompute = grid;
    state_.time = t;
    Values v;
    const double pos[3] = {x, y, z};
    linear_field_elevation(pos, model_, state_, v.eta);
    linear_field_kinematics(model_, state_, pos, v.vel, v.acc, v.pdyn);
    model_.precompute = true;
    return v;
  }
  static void expect_near(const Values& a, const Values& b, double tolerance) {
    EXPECT_NEAR(a.eta, b.eta, tolerance);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(a.vel[i], b.vel[i], tolerance) << "vel " << i;
      EXPECT_NEAR(a.acc[i], b.acc[i], tolerance) << "acc " << i;
    }
    EXPECT_NEAR(a.pdyn, b.pdyn, tolerance * kWaterDensity * kGravity);
  }
  static void expect_equal(const Values& a, const Values& b) { expect_near(a, b, 0.0); }
  // Compares grid and direct sum at time node i, depth level l and lateral
  // position y (a station). The query time is nudged 1e-7 s into its cell,
  // so they agree to that times the rate of change.
  void expect_node_agrees(std::int32_t i, std::int32_t l, double y) {
    SCOPED_TRACE("i=" + std::to_string(i) + " l=" + std::to_string(l) + " y=" + std::to_string(y));
    ASSERT_LT(i, grid().nt);
    const double t = node_time(i);
    const double h = state_.depth;
    const double s = grid().level_height[static_cast<std::size_t>(l)];
    double z = s - h;
    if (model_.stretching == 1) {
      const double surface = evaluate(false, t, 0.0, y, 0.0).eta;
      // The top level is the surface itself: stay just below it, where the
      // interpolated surface cannot put the point outside the water.
      z = std::min(s * (surface / h + 1.0) - h, surface - 1e-4);
    }
    expect_near(evaluate(true, t, 0.0, y, z), evaluate(false, t, 0.0, y, z), 1e-4);
  }
  const PregenGrid& grid() const { return *model_.grid; }
  double node_time(std::int32_t i) const { return grid().t_first + i * grid().dt_grid; }

  LibraryState state_;
  IregModel model_;
};

TEST_F(WaveFieldGrid, DerivedSizesAndNoPerComponentTables) {
  build(0.0, 300.0);
  const PregenGrid& g = grid();
  const double k = model_.components[1].k, h = 40.0;
  const double th = std::tanh(k * h);
  const double c_g = 0.5 * std::sqrt(kGravity / k) * (k * h + th - k * h * th * th) / std::sqrt(th);
  EXPECT_NEAR(g.c_g, c_g, 1e-12);
  EXPECT_NEAR(g.t_x, 100.0 / c_g, 1e-12);
  EXPECT_NEAR(g.dt_grid, 6.5 / 1.25 / 10.0, 1e-12);
  EXPECT_EQ(g.nt, static_cast<std::int32_t>(std::lround((300.0 + 2.0 * g.t_x) / g.dt_grid)));
  EXPECT_EQ(g.eta.size(), static_cast<std::size_t>(g.nt));
  EXPECT_EQ(g.kinematics.size(), static_cast<std::size_t>(g.nt) * 15 * 7);
  EXPECT_EQ(g.level_height.front(), 0.0);
  EXPECT_NEAR(g.level_height.back(), h, 1e-12);
  EXPECT_EQ(state_.time, 0.0);
}

// The level search against a plain scan, for few and many levels (past
// about 300 the slices are capped and the search walks), at random heights,
// on every level and an ulp either side of it, and outside the column.
TEST_F(WaveFieldGrid, LevelSearchFindsTheLastLevelAtOrBelowEveryHeight) {
  for (std::int32_t nz : {2, 3, 15, 61, 400}) {
    SCOPED_TRACE("nz=" + std::to_string(nz));
    model_ = IregModel();
    model_.grid = std::make_unique<PregenGrid>();
    model_.grid->nz = nz;
    build(0.0, 10.0);
    const PregenGrid& g = grid();
    const double h = state_.depth;
    std::vector<double> heights = {0.0, -1e-300, -1.0, h, std::nextafter(h, 2 * h), 2.0 * h};
    for (double level : g.level_height)
      for (double s : {std::nextafter(level, -1.0), level, std::nextafter(level, 2 * h)}) heights.push_back(s);
    for (int i = 0; i < 2000; ++i) heights.push_back(h * std::fmod(i * 0.6180339887498949, 1.0));
    for (double s : heights) {
      std::size_t expected = 0;
      while (expected + 1 < g.level_height.size() && g.level_height[expected + 1] <= s) ++expected;
      ASSERT_EQ(level_below(g, s), expected) << "s=" << s;
    }
    EXPECT_EQ(level_below(g, std::nan("")), 0u);
  }
}

// A surface that has reached the bed leaves a column of no height: a point
// on the bed takes the bed's values, not 0/0.
TEST_F(WaveFieldGrid, ColumnOfNoHeightGivesTheBedValues) {
  build(0.0, 100.0);
  PregenGrid& g = *model_.grid;
  const double h = state_.depth;
  for (double& eta : g.eta) eta = -h;
  g.located = false;
  const double t = 50.0;
  const Values v = evaluate(true, t, 0.0, 0.0, -h);
  EXPECT_EQ(v.eta, -h);
  Values bed;
  grid_kinematics(g, locate_in_grid(g, t, 0.0, 0.0), 0.0, bed.vel, bed.acc, bed.pdyn);
  bed.eta = -h;
  expect_equal(v, bed);
  EXPECT_TRUE(std::isfinite(v.vel[0]) && std::isfinite(v.acc[2]) && std::isfinite(v.pdyn));
}

TEST_F(WaveFieldGrid, AtNodesTheGridAnswersTheDirectSum) {
  build(0.0, 200.0);
  for (std::int32_t i : {0, 17, 400, grid().nt - 2}) {
    for (std::int32_t l : {0, 6, 14}) {
      const double t = node_time(i);
      // Below the trough at this level (Wheeler: compare at the stretched height).
      const double surface = evaluate(false, t, 0.0, 0.0, 0.0).eta;
      const double z = grid().level_height[static_cast<std::size_t>(l)] * (surface / 40.0 + 1.0) - 40.0;
      SCOPED_TRACE("i=" + std::to_string(i) + " l=" + std::to_string(l));
      // The query time is nudged 1e-7 s into the cell: a tolerance of that
      // order times the rate of change.
      // The top level is the surface itself: stay just below it, where the
      // interpolated surface of the grid cannot put the point outside.
      const double below = std::min(z, surface - 1e-4);
      expect_near(evaluate(true, t, 0.0, 0.0, below), evaluate(false, t, 0.0, 0.0, below), 1e-4);
    }
  }
}

TEST_F(WaveFieldGrid, BetweenNodesTheInterpolationStaysCloseToTheDirectSum) {
  build(0.0, 200.0);
  double worst = 0.0;
  for (double t = 3.0; t < 200.0; t += 0.777) {
    const Values g = evaluate(true, t, 0.0, 0.0, -5.0);
    const Values d = evaluate(false, t, 0.0, 0.0, -5.0);
    worst = std::max(worst, std::fabs(g.eta - d.eta));
  }
  // Linear interpolation over a tenth of the shortest period misses a sine
  // of amplitude A by at most A (omega dt)^2 / 8: a few centimetres here.
  EXPECT_LT(worst, 0.05);
  EXPECT_GT(worst, 0.0);
}

TEST_F(WaveFieldGrid, PointsAlongXAreTheOriginShiftedByTheGroupVelocity) {
  build(0.0, 200.0);
  const double c_g = grid().c_g;
  for (double x : {-40.0, 25.0, 90.0}) {
    const Values shifted = evaluate(true, 60.0, x, 0.0, -4.0);
    const Values origin = evaluate(true, 60.0 - x / c_g, 0.0, 0.0, -4.0);
    expect_near(shifted, origin, 1e-9);
  }
}

TEST_F(WaveFieldGrid, TimesBeyondTheNodesTakeTheEndNodes) {
  build(0.0, 50.0);
  // The two weights of the clamped cell sum to 1 up to rounding.
  const Values first = evaluate(true, node_time(0) - 1e-7, 0.0, 0.0, -10.0);
  expect_near(evaluate(true, node_time(0) - 30.0, 0.0, 0.0, -10.0), first, 1e-13);
  const Values last = evaluate(true, node_time(grid().nt - 1) + 5.0, 0.0, 0.0, -10.0);
  expect_near(evaluate(true, node_time(grid().nt - 1) + 500.0, 0.0, 0.0, -10.0), last, 1e-13);
  EXPECT_NE(first.eta, last.eta);
}

// A host window that does not start at 0 is covered by the grid from its
// start to its end: the sea neither freezes nor repeats the first node.
TEST_F(WaveFieldGrid, WindowStartingAt1000SecondsIsCovered) {
  build(1000.0, 1300.0);
  EXPECT_NEAR(grid().t_first, 1000.0 - grid().t_x, 1e-9);
  for (double t : {1000.0, 1000.0 + 2.0 * grid().dt_grid, 1150.0, 1299.0})
    for (std::int32_t l : {3, 12})
      expect_node_agrees(static_cast<std::int32_t>(std::round((t - grid().t_first) / grid().dt_grid)), l, 0.0);
}

TEST_F(WaveFieldGrid, StillWaterLevelWithoutStretchingFallsOnTheTopLevel) {
  build(0.0, 100.0, 0);
  for (std::int32_t l : {14, 7}) expect_node_agrees(150, l, 0.0);
  // Still water is the top level: z = 0 gets the values of level 15 exactly as a node.
  const double t = node_time(150);
  expect_near(evaluate(true, t, 0.0, 0.0, 0.0), evaluate(false, t, 0.0, 0.0, 0.0), 1e-4);
}

TEST_F(WaveFieldGrid, LateralStations) {
  build(0.0, 100.0, 1, 5, 10.0);  // stations at -20, -10, 0, 10, 20 m
  const double t = node_time(150);
  for (double y : {-20.0, -10.0, 0.0, 20.0})
    for (std::int32_t l : {2, 13}) expect_node_agrees(150, l, y);
  // Beyond the last station: its values; before the first: extrapolated from
  // the first two.
  const Values last = evaluate(true, t, 0.0, 20.0, -8.0);
  expect_near(evaluate(true, t, 0.0, 35.0, -8.0), last, 1e-12);
  const Values s1 = evaluate(true, t, 0.0, -20.0, -8.0);
  const Values s2 = evaluate(true, t, 0.0, -10.0, -8.0);
  EXPECT_NEAR(evaluate(true, t, 0.0, -25.0, -8.0).eta, s1.eta - 0.5 * (s2.eta - s1.eta), 1e-9);
}

TEST_F(WaveFieldGrid, WithOneStationLateralPositionChangesNothing) {
  build(0.0, 100.0);
  expect_equal(evaluate(true, 33.3, 5.0, -70.0, -3.0), evaluate(true, 33.3, 5.0, 4.0, -3.0));
}

}  // namespace
}  // namespace pelm
