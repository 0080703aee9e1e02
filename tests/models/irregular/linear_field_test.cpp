#include "models/irregular/linear_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "interface/library_state.h"
#include "numerics/constants.h"
#include "numerics/dispersion.h"

namespace pelm {
namespace {

struct Kin {
  double vel[3] = {9, 9, 9};
  double acc[3] = {9, 9, 9};
  double pdyn = 9;
  bool zero() const {
    for (int i = 0; i < 3; ++i)
      if (vel[i] != 0.0 || acc[i] != 0.0) return false;
    return pdyn == 0.0;
  }
};

WaveComponent component(double a, double period, double phase, double direction, double h) {
  WaveComponent c;
  c.amplitude = a;
  c.omega = 2.0 * kPi / period;
  c.phase = phase;
  c.k = wave_number(c.omega, h);
  c.direction = direction;
  return c;
}

class LinearField : public ::testing::Test {
 protected:
  void use(std::vector<WaveComponent> components, std::int32_t stretching) {
    model_.components = std::move(components);
    model_.stretching = stretching;
    model_.precompute = false;
    prepare_linear_field(model_, state_.depth);
  }
  void three_components(std::int32_t stretching) {
    const double h = state_.depth;
    use({component(0.8, 9.0, 0.3, 0.0, h), component(0.5, 6.0, -1.2, 0.6, h),
         component(0.3, 12.0, 2.5, -0.4, h)},
        stretching);
  }
  double eta(double t, double x, double y) {
    state_.time = t;
    const double pos[3] = {x, y, 0.0};
    double value = 0.0;
    linear_field_elevation(pos, model_, state_, value);
    return value;
  }
  Kin kin(double t, double x, double y, double z) {
    state_.time = t;
    const double pos[3] = {x, y, z};
    Kin k;
    linear_field_kinematics(model_, state_, pos, k.vel, k.acc, k.pdyn);
    return k;
  }
  // Velocity potential of linear theory for the components, built from the
  // textbook form g A / omega cosh(k (z + h)) / cosh(k h) cos(alpha).
  double potential(double t, double x, double y, double z) const {
    double phi = 0.0;
    const double h = state_.depth;
    for (const auto& c : model_.components) {
      const double alpha =
          c.omega * t - c.k * (x * std::cos(c.direction) + y * std::sin(c.direction)) + c.phase;
      phi += kGravity * c.amplitude / c.omega * std::cosh(c.k * (z + h)) / std::cosh(c.k * h) *
             std::cos(alpha);
    }
    return phi;
  }

  LibraryState state_ = [] {
    LibraryState s;
    s.depth = 30.0;
    return s;
  }();
  IregModel model_;
};

TEST_F(LinearField, WithoutStretchingTheKinematicsAreThoseOfThePotential) {
  three_components(0);
  const double e = 1e-4;
  for (double t : {0.0, 7.3}) {
    for (const auto& p : std::vector<std::array<double, 3>>{{0, 0, -1}, {13, -4, -8}, {-30, 20, -25}}) {
      SCOPED_TRACE("t=" + std::to_string(t) + " x=" + std::to_string(p[0]));
      const Kin k = kin(t, p[0], p[1], p[2]);
      const double u = (potential(t, p[0] + e, p[1], p[2]) - potential(t, p[0] - e, p[1], p[2])) / (2 * e);
      const double v = (potential(t, p[0], p[1] + e, p[2]) - potential(t, p[0], p[1] - e, p[2])) / (2 * e);
      const double w = (potential(t, p[0], p[1], p[2] + e) - potential(t, p[0], p[1], p[2] - e)) / (2 * e);
      const double pd = -kWaterDensity *
                        (potential(t + e, p[0], p[1], p[2]) - potential(t - e, p[0], p[1], p[2])) / (2 * e);
      EXPECT_NEAR(k.vel[0], u, 1e-7);
      EXPECT_NEAR(k.vel[1], v, 1e-7);
      EXPECT_NEAR(k.vel[2], w, 1e-7);
      EXPECT_NEAR(k.pdyn, pd, 1e-3);
    }
  }
}

TEST_F(LinearField, VelocityFieldIsDivergenceFreeAndAccelerationIsItsTimeDerivative) {
  three_components(0);
  const double e = 1e-4;
  const double t = 3.3, x = 5.0, y = 2.0, z = -6.0;
  const Kin px = kin(t, x + e, y, z), mx = kin(t, x - e, y, z);
  const Kin py = kin(t, x, y + e, z), my = kin(t, x, y - e, z);
  const Kin pz = kin(t, x, y, z + e), mz = kin(t, x, y, z - e);
  const double divergence = (px.vel[0] - mx.vel[0] + py.vel[1] - my.vel[1] + pz.vel[2] - mz.vel[2]) / (2 * e);
  EXPECT_NEAR(divergence, 0.0, 1e-8);
  const Kin now = kin(t, x, y, z), later = kin(t + e, x, y, z), earlier = kin(t - e, x, y, z);
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(now.acc[i], (later.vel[i] - earlier.vel[i]) / (2 * e), 1e-8) << i;
}

TEST_F(LinearField, AtStillWaterWithoutStretchingPressureIsRhoGEta) {
  three_components(0);
  for (double t : {1.0, 4.0}) {
    const Kin k = kin(t, 3.0, 1.0, 0.0);
    const double surface = eta(t, 3.0, 1.0);
    EXPECT_NEAR(k.pdyn, kWaterDensity * kGravity * surface, 1e-9);
  }
}

TEST_F(LinearField, WheelerAtTheSurfaceEqualsStillWaterLevelValues) {
  for (double t : {0.5, 2.0, 6.1}) {
    three_components(1);
    const double surface = eta(t, 4.0, -2.0);
    const Kin at_surface = kin(t, 4.0, -2.0, surface);
    three_components(0);
    const Kin at_still_water = kin(t, 4.0, -2.0, 0.0);
    // Both evaluate the depth functions at the stretched height h.
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(at_surface.vel[i], at_still_water.vel[i], 1e-12);
      EXPECT_NEAR(at_surface.acc[i], at_still_water.acc[i], 1e-12);
    }
    EXPECT_NEAR(at_surface.pdyn, at_still_water.pdyn, 1e-8);
  }
}

TEST_F(LinearField, WaterColumnLimitsOfBothOptions) {
  // Find a time with a crest above still water at the point.
  three_components(0);
  double t = 0.0;
  while (eta(t, 0.0, 0.0) < 0.3) t += 0.1;
  const double surface = eta(t, 0.0, 0.0);
  struct Case {
    std::int32_t option;
    double z;
    bool wet;
  };
  const std::vector<Case> cases = {
      {0, 0.5 * surface, false}, {1, 0.5 * surface, true}, {0, 0.0, true},
      {1, surface, true},        {1, surface + 1e-9, false}, {0, -30.0, true},
      {1, -30.0, true},          {0, -30.0001, false},     {1, -31.0, false},
  };
  for (const auto& c : cases) {
    three_components(c.option);
    const Kin k = kin(t, 0.0, 0.0, c.z);
    EXPECT_EQ(!k.zero(), c.wet) << "option " << c.option << " z=" << c.z;
  }
}

TEST_F(LinearField, ComponentAlongXHasNoLateralMotion) {
  use({component(1.0, 8.0, 0.1, 0.0, 30.0)}, 1);
  for (double y : {0.0, 50.0}) {
    const Kin k = kin(2.2, 1.0, y, -3.0);
    EXPECT_EQ(k.vel[1], 0.0);
    EXPECT_EQ(k.acc[1], 0.0);
  }
}

TEST_F(LinearField, EmptySetIsACalmSea) {
  use({}, 1);
  EXPECT_EQ(eta(3.0, 1.0, 1.0), 0.0);
  EXPECT_TRUE(kin(3.0, 1.0, 1.0, -2.0).zero());
  EXPECT_TRUE(kin(3.0, 1.0, 1.0, 0.0).zero());
}

TEST_F(LinearField, ShortWavesInDeepWaterStayFinite) {
  state_.depth = 3000.0;
  const WaveComponent c = component(0.5, 2.0, 0.0, 0.0, 3000.0);
  ASSERT_GT(c.k * 3000.0, 1000.0);  // sinh(k h) alone would overflow
  use({c}, 0);
  const double t = 0.3, z = -2.0;
  const Kin k = kin(t, 0.0, 0.0, z);
  const double alpha = c.omega * t + c.phase;
  // Deep water: cosh(k (z + h)) / sinh(k h) = exp(k z).
  EXPECT_NEAR(k.vel[0], c.omega * c.amplitude * std::exp(c.k * z) * std::sin(alpha), 1e-14);
  EXPECT_NEAR(k.vel[2], c.omega * c.amplitude * std::exp(c.k * z) * std::cos(alpha), 1e-14);
  EXPECT_NEAR(k.pdyn, kWaterDensity * kGravity * c.amplitude * std::exp(c.k * z) * std::sin(alpha), 1e-9);
}

TEST(DepthFactors, MatchTheHyperbolicRatiosWhereThoseAreFinite) {
  for (double k : {1e-4, 0.01, 0.3, 2.0}) {
    for (double zs : {0.0, 3.0, 29.0, 30.0}) {
      const double h = 30.0;
      const DepthFactors d = depth_factors(k, h, zs);
      EXPECT_NEAR(d.cosh_over_sinh, std::cosh(k * zs) / std::sinh(k * h),
                  1e-13 * std::cosh(k * zs) / std::sinh(k * h));
      EXPECT_NEAR(d.sinh_over_sinh, std::sinh(k * zs) / std::sinh(k * h), 1e-13);
      EXPECT_NEAR(d.cosh_over_cosh, std::cosh(k * zs) / std::cosh(k * h), 1e-13);
    }
  }
}

}  // namespace
}  // namespace pelm
