#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "models/stream_function/strf_model.h"
#include "numerics/constants.h"
#include "tests/support/console_capture.h"

namespace pelm {
namespace {

// A solution record holding a linear first guess of height h.
void start_linear(double d, double T, double U, double h, double k) {
  StrfSolution& s = strf_solution();
  s = StrfSolution();
  s.d = d;
  s.T = T;
  s.U = U;
  s.h = h;
  s.k = k;
  s.E[1] = h / 2;
}

// X from the surface coefficients, as the solver starts.
std::array<double, kStrfCapacity> unknowns_from_surface(int N) {
  const StrfSolution& s = strf_solution();
  std::array<double, kStrfCapacity> X{};
  for (int i = 0; i < N - 2; ++i)
    for (int j = 1; j < N; ++j) X[i] += s.E[j] * std::cos(j * i * kPi / (N - 1));
  X[N - 2] = s.k;
  return X;
}

struct JacobianCase {
  const char* name;
  double d, T, U, h, k;
  int N;
  double perturbation;  // added to every other surface unknown, so the point is not a solution
};

// The exact Jacobian against central differences of the residuals, at first
// guesses and perturbed points from deep to shallow water, with and against a
// current. Step 1e-6 relative: truncation O(step^2) and rounding
// O(1e-16/step) both stay near 1e-9 of the column scale.
TEST(StrfResiduals, JacobianMatchesCentralDifferences) {
  const JacobianCase cases[] = {
      {"deep", 200.0, 10.0, 0.0, 6.0, 0.04, 6, 0.1},
      {"intermediate current", 20.0, 8.0, 1.0, 4.0, 0.07, 8, 0.05},
      {"shallow opposing", 5.0, 14.0, -0.5, 1.5, 0.1, 12, 0.02},
      {"shallow", 3.0, 20.0, 0.0, 1.2, 0.06, 16, 0.0},
      {"very deep: j k d up to 2000", 300.0, 2.0, 0.2, 0.3, 0.98, 8, 0.05},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    start_linear(c.d, c.T, c.U, c.h, c.k);
    auto X = unknowns_from_surface(c.N);
    for (int i = 1; i < c.N - 2; i += 2) X[i] += c.perturbation * c.h;
    StrfResiduals at;
    strf_residuals(c.N, X.data(), at);
    ASSERT_FALSE(at.bad);
    for (int m = 0; m < c.N - 1; ++m) {
      const double step = 1e-6 * (m == c.N - 2 ? c.k : c.h);
      auto plus = X, minus = X;
      plus[m] += step;
      minus[m] -= step;
      StrfResiduals rp, rm;
      strf_residuals(c.N, plus.data(), rp);
      strf_residuals(c.N, minus.data(), rm);
      double scale = 0.0;
      for (int i = 0; i < c.N; ++i) scale = std::fmax(scale, std::fabs(at.J[i][m]));
      for (int i = 0; i < c.N; ++i) {
        const double fd = (rp.W[i] - rm.W[i]) / (2 * step);
        EXPECT_NEAR(at.J[i][m], fd, 1e-6 * scale) << "row " << i << " column " << m;
      }
    }
  }
}

// A start whose surface rises toward the trough by more than 5h/N is never
// acceptable and there is no earlier iterate to go back to: the damping falls
// from 2/N by 0.8 per rejection until below 0.05 (10 rejections at N = 6).
TEST(StrfSolve, UnacceptableStartFailsWithoutASingleStep) {
  start_linear(20.0, 8.0, 0.0, 2.0, 0.07);
  strf_solution().E[1] = -1.0;  // trough at the crest: the surface rises by h over the wave
  const StrfSolveResult r = strf_solve(6);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.iterations, 0);
  EXPECT_TRUE(std::isnan(r.rms));
}

TEST(StrfSolve, ConvergedSolutionReproducesItsSurfaceAndRestartsInOneStep) {
  start_linear(20.0, 8.0, 0.5, 3.0, 0.07);
  ASSERT_EQ(strf_solve(8).code, 0);
  const StrfSolution first = strf_solution();
  // The cosine series passes through the collocation points.
  for (int i = 1; i <= 8; ++i) {
    double y = 0.0;
    for (int j = 0; j <= 8; ++j) y += first.E[j] * std::cos(j * (i - 1) * kPi / 7);
    EXPECT_NEAR(y, first.Y[i], 1e-12) << i;
  }
  // Started from its own solution the iteration accepts at once; k moves by
  // no more than the convergence tolerance (rms 1e-6 of h) allows.
  const StrfSolveResult again = strf_solve(8);
  EXPECT_EQ(again.code, 0);
  EXPECT_EQ(again.iterations, 1);
  EXPECT_NEAR(strf_solution().k, first.k, 1e-7 * first.k);
}

TEST(StrfEliminate, SolvesTheNormalEquations) {
  // A symmetric positive definite system with a known solution.
  const int M = 7;
  std::array<std::array<double, kStrfCapacity>, kStrfCapacity> a{};
  std::array<double, kStrfCapacity> x{}, b{};
  for (int p = 0; p < M; ++p) x[p] = 1.0 + 0.5 * p * (p % 2 ? -1 : 1);
  for (int p = 0; p < M; ++p)
    for (int q = 0; q < M; ++q) a[p][q] = 1.0 / (1.0 + p + q) + (p == q ? 1.0 : 0.0);
  for (int p = 0; p < M; ++p)
    for (int q = 0; q < M; ++q) b[p] += a[p][q] * x[q];
  strf_eliminate(M, a, b.data());
  for (int p = 0; p < M; ++p) EXPECT_NEAR(b[p], x[p], 1e-13) << p;
}

TEST(StrfEliminateDeathTest, VanishingPivotStops) {
  std::array<std::array<double, kStrfCapacity>, kStrfCapacity> a{};
  std::array<double, kStrfCapacity> b{};
  a[0][0] = 1.0;
  a[0][1] = a[1][0] = 2.0;
  a[1][1] = 4.0;  // the second row is twice the first: pivot 2 vanishes
  a[2][2] = 1.0;
  auto singular = a;
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        strf_eliminate(3, singular, b.data());
      },
      ::testing::ExitedWithCode(1), "^ Matrix error 1:     2\n\\*\\*\\* ERROR \\*\\*\\* Stream function solver: the normal equations are singular - process stopped\n$");
  auto last = a;
  last[1][1] = 5.0;
  last[2][2] = 5e-11;
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        strf_eliminate(3, last, b.data());
      },
      ::testing::ExitedWithCode(1), "^ Matrix error 2:     3\n\\*\\*\\* ERROR \\*\\*\\* Stream function solver: the normal equations are singular - process stopped\n$");
}

}  // namespace
}  // namespace pelm
