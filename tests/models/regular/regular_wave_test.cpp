#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "interface/library_state.h"
#include "models/regular/regular_model.h"
#include "numerics/constants.h"
#include "tests/support/block_reader.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"

namespace pelm {
namespace {

struct Outputs {
  double vel[3] = {7, 7, 7};
  double acc[3] = {7, 7, 7};
  double pdyn = 7;
};

class RegularWave : public ::testing::Test {
 protected:
  // H = 2 m, T = 10 s in 30 m of water.
  void SetUp() override {
    state_.depth = h_;
    model_.amplitude = 1.0;
    model_.height = 2.0;
    model_.omega = 2.0 * kPi / 10.0;
    reg_airy_init(model_, h_);
  }
  Outputs at(double t, double x, double y, double z) {
    state_.time = t;
    Outputs out;
    const double pos[3] = {x, y, z};
    reg_airy_kinematics(model_, state_, pos, out.vel, out.acc, out.pdyn);
    return out;
  }
  double eta(double t, double x) {
    state_.time = t;
    const double pos[3] = {x, 123.0, 0.0};
    double value = 0.0;
    reg_airy_elevation(pos, model_, state_, value);
    return value;
  }
  // Velocity potential of linear theory, phi = g a / omega cosh(k(z+h))/cosh(kh) cos(omega t - k x).
  double potential(double t, double x, double z) const {
    const double k = model_.k, w = model_.omega, a = model_.amplitude;
    return kGravity * a / w * std::cosh(k * (z + h_)) / std::cosh(k * h_) * std::cos(w * t - k * x);
  }
  // The still-water height above the bed that Wheeler stretching maps z to.
  double stretched_height(double t, double x, double z) { return (h_ + z) / (eta(t, x) / h_ + 1.0); }
  // The z at which a point keeps the stretched height d at time t.
  double z_for_stretched_height(double t, double x, double d) {
    return d * (eta(t, x) / h_ + 1.0) - h_;
  }

  const double h_ = 30.0;
  LibraryState state_;
  RegModel model_;
};

TEST_F(RegularWave, WaveNumberSolvesTheDispersionRelation) {
  const double w = model_.omega;
  EXPECT_NEAR(kGravity * model_.k * std::tanh(model_.k * h_) / (w * w), 1.0, 1e-9);
}

TEST_F(RegularWave, ElevationIsZeroAndRisingAtTheOriginAtTimeZero) {
  EXPECT_EQ(eta(0.0, 0.0), 0.0);
  EXPECT_GT(eta(0.1, 0.0), 0.0);
  EXPECT_NEAR(eta(2.5, 0.0), 1.0, 1e-15);  // crest a quarter period later
  // The crest travels in +x at the phase speed omega/k.
  const double c = model_.omega / model_.k;
  EXPECT_NEAR(eta(2.5 + 3.0, 3.0 * c), 1.0, 1e-12);
}

// Where the surface is at still water the stretching is the identity, so the
// kinematics must be those of the linear potential.
TEST_F(RegularWave, MatchesTheLinearPotentialWhereTheSurfaceIsAtStillWater) {
  const double e = 1e-4;  // finite-difference step; error O(e^2) relative
  for (double t : {0.0, 5.0}) {
    ASSERT_NEAR(eta(t, 0.0), 0.0, 1e-14);
    for (double z : {-0.5, -5.0, -15.0, -29.0}) {
      SCOPED_TRACE("t=" + std::to_string(t) + " z=" + std::to_string(z));
      const Outputs o = at(t, 0.0, 0.0, z);
      const double u = (potential(t, e, z) - potential(t, -e, z)) / (2 * e);
      const double w = (potential(t, 0.0, z + e) - potential(t, 0.0, z - e)) / (2 * e);
      const double p = -kWaterDensity * (potential(t + e, 0.0, z) - potential(t - e, 0.0, z)) / (2 * e);
      EXPECT_NEAR(o.vel[0], u, 1e-7);
      EXPECT_NEAR(o.vel[2], w, 1e-7);
      EXPECT_NEAR(o.pdyn, p, 1e-3);
    }
  }
}

// The accelerations are the time derivatives of the velocity at a fixed
// stretched height (local, without convective terms).
TEST_F(RegularWave, AccelerationIsTheTimeDerivativeOfVelocityAtFixedStretchedHeight) {
  const double e = 1e-5;
  for (double t : {0.7, 3.1, 8.8}) {
    for (double d : {2.0, 15.0, 29.5}) {
      SCOPED_TRACE("t=" + std::to_string(t) + " d=" + std::to_string(d));
      const Outputs now = at(t, 4.0, 0.0, z_for_stretched_height(t, 4.0, d));
      const Outputs later = at(t + e, 4.0, 0.0, z_for_stretched_height(t + e, 4.0, d));
      const Outputs earlier = at(t - e, 4.0, 0.0, z_for_stretched_height(t - e, 4.0, d));
      EXPECT_NEAR(now.acc[0], (later.vel[0] - earlier.vel[0]) / (2 * e), 1e-7);
      EXPECT_NEAR(now.acc[2], (later.vel[2] - earlier.vel[2]) / (2 * e), 1e-7);
    }
  }
}

TEST_F(RegularWave, StillWaterLevelUnderTheCrestIsStretchedDown) {
  const double t_crest = 2.5;
  const Outputs o = at(t_crest, 0.0, 0.0, 0.0);
  const double k = model_.k, w = model_.omega;
  const double d = h_ / (1.0 + 1.0 / h_);
  EXPECT_NEAR(stretched_height(t_crest, 0.0, 0.0), d, 1e-12);
  EXPECT_NEAR(o.vel[0], w * std::cosh(k * d) / std::sinh(k * h_), 1e-12);
  EXPECT_LT(o.vel[0], w * std::cosh(k * h_) / std::sinh(k * h_));
  EXPECT_NEAR(o.vel[2], 0.0, 1e-15);
}

TEST_F(RegularWave, UnderTheTroughVelocityIsBackwardAndHorizontal) {
  const double t_trough = 7.5;
  const double z = eta(t_trough, 0.0) - 0.01;
  const Outputs o = at(t_trough, 0.0, 0.0, z);
  const double k = model_.k, w = model_.omega;
  const double d = stretched_height(t_trough, 0.0, z);
  EXPECT_NEAR(d, h_, 0.011);  // 0.01 m below the surface, stretched by 1/(1 - a/h)
  EXPECT_NEAR(o.vel[0], -w * std::cosh(k * d) / std::sinh(k * h_), 1e-12);
  EXPECT_NEAR(o.vel[2], 0.0, 1e-14);
}

TEST_F(RegularWave, AtAndAboveTheSurfaceEveryOutputIsZero) {
  for (double t : {0.0, 1.3, 2.5, 7.5}) {
    const double surface = eta(t, 2.0);
    for (double z : {surface, surface + 0.001, 5.0}) {
      const Outputs o = at(t, 2.0, 0.0, z);
      for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(o.vel[i], 0.0);
        EXPECT_EQ(o.acc[i], 0.0);
      }
      EXPECT_EQ(o.pdyn, 0.0);
    }
  }
}

// Just below the bed the formulas go on (a negative stretched height); where
// they overflow, far below the bed or under a trough that reaches it, every
// output is 0 instead of NaN.
TEST_F(RegularWave, BelowTheBedFormulasGoOnUntilTheyOverflow) {
  const Outputs near = at(2.0, 0.0, 0.0, -h_ - 1.0);
  const double d = stretched_height(2.0, 0.0, -h_ - 1.0);
  EXPECT_LT(d, 0.0);
  EXPECT_DOUBLE_EQ(near.vel[0], std::cosh(model_.k * d) * model_.omega / std::sinh(model_.k * h_) *
                                    eta(2.0, 0.0));
  for (double z : {-1e5, -1e300}) {
    SCOPED_TRACE(z);
    const Outputs far = at(2.0, 0.0, 0.0, z);
    for (double v : {far.vel[0], far.vel[1], far.vel[2], far.acc[0], far.acc[1], far.acc[2], far.pdyn})
      EXPECT_EQ(v, 0.0);
  }
}

// A 1 s wave in 200 m of water: k h = 804, beyond where cosh and sinh
// overflow. The kinematics are the deep-water ones, u = a omega e^(k z') sin,
// with z' = d - h the stretched elevation.
TEST(RegularWaveInDeepWater, ShortWaveKinematicsStayFinite) {
  RegModel model;
  model.amplitude = 0.1;
  model.height = 0.2;
  model.omega = 2.0 * kPi;
  ASSERT_TRUE(reg_airy_init(model, 200.0));
  ASSERT_GT(model.k * 200.0, 710.0);
  LibraryState state;
  state.depth = 200.0;
  state.time = 0.1;
  const double z = -0.1;
  Outputs out;
  const double pos[3] = {0.0, 0.0, z};
  reg_airy_kinematics(model, state, pos, out.vel, out.acc, out.pdyn);
  const double theta = model.omega * state.time;
  const double eta = model.amplitude * std::sin(theta);
  const double z_stretched = 200.0 * (z + 200.0) / (200.0 + eta) - 200.0;
  const double decay = std::exp(model.k * z_stretched);
  EXPECT_NEAR(out.vel[0], model.amplitude * model.omega * decay * std::sin(theta), 1e-12);
  EXPECT_NEAR(out.vel[2], model.amplitude * model.omega * decay * std::cos(theta), 1e-12);
  EXPECT_NEAR(out.pdyn, kWaterDensity * kGravity * model.amplitude * decay * std::sin(theta), 1e-9);
}

TEST(RegularWaveInShallowWater, TroughReachingTheBedGivesFiniteOutputs) {
  // a = 1 m in 1 m of water: at the trough the stretched column is empty.
  RegModel model;
  model.amplitude = 1.0;
  model.height = 2.0;
  model.omega = 2.0 * kPi / 10.0;
  ASSERT_TRUE(reg_airy_init(model, 1.0));
  LibraryState state;
  state.depth = 1.0;
  state.time = 7.5;  // theta = -pi/2 at x = 0: eta = -1 = -h
  for (double z : {-1.0, -1.0 - 1e-9, -5.0, -1e4}) {
    SCOPED_TRACE(z);
    Outputs out;
    const double pos[3] = {0.0, 0.0, z};
    reg_airy_kinematics(model, state, pos, out.vel, out.acc, out.pdyn);
    for (double v : {out.vel[0], out.vel[2], out.acc[0], out.acc[2], out.pdyn}) EXPECT_TRUE(std::isfinite(v));
  }
}

TEST_F(RegularWave, LateralPositionChangesNothingAndLateralComponentsAreZero) {
  for (double t : {0.3, 4.4}) {
    const Outputs a = at(t, 1.0, 0.0, -3.0);
    const Outputs b = at(t, 1.0, -250.0, -3.0);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(a.vel[i], b.vel[i]);
      EXPECT_EQ(a.acc[i], b.acc[i]);
    }
    EXPECT_EQ(a.pdyn, b.pdyn);
    EXPECT_EQ(a.vel[1], 0.0);
    EXPECT_EQ(a.acc[1], 0.0);
  }
}

TEST_F(RegularWave, AtTimeZeroUnderTheOriginOnlyWAndAxAreNonZero) {
  const Outputs o = at(0.0, 0.0, 0.0, -4.0);
  const double k = model_.k, w = model_.omega;
  EXPECT_EQ(o.vel[0], 0.0);
  EXPECT_EQ(o.pdyn, 0.0);
  EXPECT_NEAR(o.vel[2], w * std::sinh(k * 26.0) / std::sinh(k * h_), 1e-14);
  EXPECT_NEAR(o.acc[0], w * w * std::cosh(k * 26.0) / std::sinh(k * h_), 1e-14);
  EXPECT_NEAR(o.acc[2], 0.0, 1e-16);
}

TEST_F(RegularWave, DynamicPressureUsesTheLibrarysDensityAndGravity) {
  const Outputs o = at(2.5, 0.0, 0.0, -h_);
  const double d = 0.0;  // at the bed the stretched height is 0 whatever the surface
  EXPECT_NEAR(o.pdyn, 1050.0 * 9.81000041961669921875 * std::cosh(model_.k * d) /
                          std::cosh(model_.k * h_),
              1e-9);
}

BlockRead<RegModel> read_block(const std::string& body) {
  return read_block_body<RegModel>(body, [](CommandFile*& current, RegModel& model) {
    reg_airy_input(current, model);
  });
}

TEST(RegularWaveInput, Commands) {
  const std::string ok = "Reg. airy input commands read with succes";
  const std::string incomplete =
      "*** ERROR *** Not all needed pelm_dll reg_airy input commands present - error";
  {
    const auto r = read_block("stretching 1;\nwave 2 10;\nend;\n");
    EXPECT_EQ(r.model.height, 2.0);
    EXPECT_EQ(r.model.amplitude, 1.0);
    EXPECT_EQ(r.model.omega, kPi * 2.0 / 10.0);
    EXPECT_EQ(r.messages, std::vector<std::string>{ok});
    EXPECT_EQ(r.next, "after");
  }
  {
    const auto r = read_block("wave 3 0;\nstretching 0.5;\nend;\n");
    EXPECT_EQ(r.model.height, 3.0);
    EXPECT_EQ(r.model.amplitude, 1.5);
    EXPECT_EQ(r.model.omega, 0.0);
    EXPECT_EQ(r.model.stretching, 1);
    EXPECT_EQ(r.messages, (std::vector<std::string>{
                              "*** ERROR *** In reg. airy input, T less or equal to 0.d0", ok}));
  }
  {
    const auto r = read_block("wave 2 5;\nwave 4 -1;\nstretching 7;\nend;\n");
    EXPECT_EQ(r.model.omega, kPi * 2.0 / 5.0);  // kept from the first wave command
    EXPECT_EQ(r.model.amplitude, 2.0);
    EXPECT_EQ(r.model.stretching, 7);
  }
  {
    const auto r = read_block("wave 2 10;\nend;\n");
    EXPECT_EQ(r.messages, std::vector<std::string>{incomplete});
  }
  {
    // A parameter error hands the rest of the block, its end included, back.
    const auto r = read_block("stretching 1;\nwave 2;\nend;\n");
    ASSERT_EQ(r.messages.size(), 3u);
    EXPECT_EQ(r.messages[0], "*** ERROR *** Not correct number of parameters in command line");
    EXPECT_EQ(r.messages[1], "*** ERROR *** Error reading parameters in command line: wave 2");
    EXPECT_EQ(r.messages[2].rfind("*** ERROR *** Error in command line 2 Masterfile name: ", 0), 0u);
    EXPECT_EQ(r.next, "end");
  }
  {
    const auto r = read_block("height 2;\n;\nstretching 1;\nwave 1 8;\nend;\n");
    ASSERT_EQ(r.messages.size(), 2u);
    EXPECT_EQ(r.messages[0].rfind("*** ERROR *** Error in command line 1 Masterfile name: ", 0), 0u);
    EXPECT_EQ(r.messages[1], ok);
  }
}

TEST(RegularWaveInput, EndOfFileInsideTheBlockEndsIt) {
  const auto r = read_block_file<RegModel>(
      "stretching 1;\nwave 2 10;\n",
      [](CommandFile*& current, RegModel& model) { reg_airy_input(current, model); });
  EXPECT_EQ(r.messages,
            (std::vector<std::string>{
                "*** INFO *** End of file reached. Line number 2 Masterfile name: " + r.file,
                "Reg. airy input commands read with succes"}));
}

}  // namespace
}  // namespace pelm
