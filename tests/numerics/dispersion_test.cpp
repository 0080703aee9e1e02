#include "numerics/dispersion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "numerics/constants.h"
#include "tests/support/console_capture.h"
#include "tests/support/dispersion_oracle.h"

namespace pelm {
namespace {

int g_residual_calls = 0;

double counting_residual(double k, double omega, double h) {
  ++g_residual_calls;
  return dispersion_residual(k, omega, h);
}


TEST(WaveNumber, MatchesTheRootFromShallowToDeepWater) {
  ConsoleCapture capture;
  for (double h : {1.0, 5.0, 30.0, 200.0, 3000.0}) {
    for (double period : {2.0, 5.0, 10.0, 20.0, 40.0}) {
      const double omega = 2.0 * kPi / period;
      // The iteration stops once a step is at most 1e-6 rad/m; with the
      // central-difference slope convergence is near-quadratic, so the error
      // left is below that step.
      EXPECT_NEAR(wave_number(omega, h), bisected_wave_number(omega, h, kGravity), 1e-6)
          << "h=" << h << " T=" << period;
    }
  }
  EXPECT_TRUE(capture.lines().empty());
}

TEST(WaveNumber, DeepWaterLimitIsOmegaSquaredOverG) {
  const double omega = 2.0 * kPi / 4.0;
  EXPECT_NEAR(wave_number(omega, 1000.0), omega * omega / kGravity, 1e-6);
}

TEST(NewtonRaphson, H30T10ConvergesInFourUpdates) {
  g_residual_calls = 0;
  const double omega = 2.0 * kPi / 10.0;
  const double k = newton_raphson(2.0, omega, 30.0, counting_residual, dispersion_slope, 1e-06);
  EXPECT_EQ(g_residual_calls, 4);
  EXPECT_NEAR(k, bisected_wave_number(omega, 30.0, kGravity), 1e-9);
}

double constant_residual(double, double, double) { return 1.0; }
double unit_slope(double, double, double) { return 1.0; }
double tolerance_step_residual(double, double, double) { return 1e-06; }

TEST(NewtonRaphson, GivesUpAfter101UpdatesWithAMessage) {
  ConsoleCapture capture;
  const double x = newton_raphson(0.0, 0.0, 0.0, constant_residual, unit_slope, 1e-06);
  EXPECT_EQ(x, -101.0);
  EXPECT_EQ(capture.lines(),
            (std::vector<std::string>{
                "More that 100 iterations in newton raphson iteration of induction factor"}));
}

TEST(NewtonRaphson, AStepEqualToTheToleranceStops) {
  ConsoleCapture capture;
  EXPECT_EQ(newton_raphson(0.0, 0.0, 0.0, tolerance_step_residual, unit_slope, 1e-06), -1e-06);
  EXPECT_TRUE(capture.lines().empty());
}

TEST(DispersionSlope, CentralDifferenceOfTheResidual) {
  const double h = 20.0, omega = 0.7;
  for (double k : {0.01, 0.1, 1.0}) {
    const double exact = kGravity * (std::tanh(k * h) + k * h / std::pow(std::cosh(k * h), 2));
    // Truncation error of the difference with step 1e-4 rad/m.
    EXPECT_NEAR(dispersion_slope(k, omega, h), exact, 1e-4 * exact) << k;
  }
}

}  // namespace
}  // namespace pelm
