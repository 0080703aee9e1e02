// The solved stream-function wave against physics it must obey, whatever the
// algorithm: Bernoulli and the kinematic condition on the surface, a
// divergence-free and irrotational velocity field, the current as the mean
// flow, accelerations as derivatives of the velocity, periodicity, and the
// known limits (linear theory for a very low wave, Stokes' third order in
// deep water).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "models/stream_function/strf_model.h"
#include "numerics/constants.h"
#include "tests/support/console_capture.h"
#include "tests/support/dispersion_oracle.h"

namespace pelm {
namespace {

constexpr double kG = 9.81;

struct WaveCase {
  const char* name;
  float d, T, H, U;
  // Bernoulli error between the collocation points, relative to H (see
  // SurfaceConditionsHold).
  double surface_tolerance = 5e-3;
};

std::string describe(const WaveCase& c) {
  return std::string(c.name) + " d=" + std::to_string(c.d) + " T=" + std::to_string(c.T) +
         " H=" + std::to_string(c.H) + " U=" + std::to_string(c.U);
}

// Sets the wave up quietly; returns its order.
int set_up(const WaveCase& c) {
  ConsoleCapture quiet;
  return strf_setup(c.d, c.T, c.H, c.U, false).order;
}

double wave_speed() {
  const StrfSolution& s = strf_solution();
  return 2.0 * kPi / s.T / s.k;
}

// Surface slope from the cosine series, independently of the evaluation.
double surface_slope(double theta) {
  const StrfSolution& s = strf_solution();
  double slope = 0.0;
  for (int j = 1; j < kStrfCapacity; ++j) slope -= j * s.k * s.E[j] * std::sin(j * theta);
  return slope;
}

const std::vector<WaveCase>& wave_cases() {
  static const std::vector<WaveCase> cases = {
      {"deep", 200.f, 10.f, 12.f, 0.f},
      {"deep, following current", 200.f, 10.f, 8.f, 1.f},
      // j k d up to 1500 and 3300: the series must neither overflow nor underflow.
      {"very deep, short", 300.f, 2.f, 0.3f, 0.f},
      {"very deep, steep", 1000.f, 6.f, 5.f, -0.5f},
      {"intermediate", 20.f, 8.f, 4.f, 0.f},
      {"intermediate, opposing current", 20.f, 8.f, 3.f, -1.f},
      {"intermediate, steep", 30.f, 9.f, 9.f, 0.f},
      {"shallow", 10.f, 12.f, 3.f, 0.f},
      {"shallow, following current", 10.f, 12.f, 3.f, 1.f},
      {"shallow, opposing current", 10.f, 12.f, 2.f, -0.8f},
      {"shallow, near breaking (H/Hb = 0.89, 16 points)", 10.f, 12.f, 6.5f, 0.f, 2e-2},
      {"shallow, near breaking, following current", 5.f, 8.f, 3.f, 0.5f, 2e-2},
  };
  return cases;
}

TEST(StrfWave, ConvergedSurfaceKeepsHeightAndMeanLevel) {
  for (const auto& c : wave_cases()) {
    SCOPED_TRACE(describe(c));
    const int N = set_up(c);
    const StrfSolution& s = strf_solution();
    EXPECT_NEAR(s.Y[1] - s.Y[N], c.H, 1e-12 * c.H);
    double mean = 0.5 * (s.Y[1] + s.Y[N]);
    for (int i = 2; i < N; ++i) mean += s.Y[i];
    EXPECT_NEAR(mean, 0.0, 1e-12 * c.H);
    EXPECT_NEAR(s.E[0], 0.0, 1e-12 * c.H);
    for (int i = 1; i < N; ++i) EXPECT_LE(s.Y[i + 1], s.Y[i]) << "point " << i;
    // Crest at x = 0, t = 0: the sum of the coefficients, and no vertical motion.
    double crest = 0.0;
    for (int j = 1; j < N; ++j) crest += s.E[j];
    const StrfPointValues at_crest = strf_evaluate(N, 0.f, static_cast<float>(crest), 0.f);
    EXPECT_EQ(at_crest.eta, static_cast<float>(crest));
    EXPECT_NEAR(crest, s.Y[1], 1e-12 * c.H);
    EXPECT_EQ(at_crest.w, 0.f);
  }
}

// In the frame of the crest the flow is steady: along the surface
// (u - c)^2 + w^2 over 2g plus eta is constant (Bernoulli), and the flow is
// tangent to it, w = (u - c) deta/dx.
// At the N collocation points the evaluated wave must meet Bernoulli to the
// solver's tolerance (rms 1e-6 H) and single-precision rounding, 1e-5 H,
// plus one more effect: the series coefficients are those of the last
// evaluation, the wave number that of the correction after it (dk), and
// harmonic j, referred to the bed, feels the difference as j dk (z + d);
// negligible except in deep water (1e-4 H for the steep wave in 1000 m).
// Between the points the surface is the cosine interpolant of the points,
// not the streamline, and the error is that of the truncated series at the
// order the estimate chose: up to 3e-3 H for the moderate waves (6 points
// for the steep deep wave, 8 for the shallow ones) and 1.3e-2 H near
// breaking in shallow water, where it oscillates between the points about
// the sharp crest; the slope error is about twice that, relative to c.
TEST(StrfWave, SurfaceConditionsHold) {
  for (const auto& c : wave_cases()) {
    SCOPED_TRACE(describe(c));
    const int N = set_up(c);
    const StrfSolution& s = strf_solution();
    const double speed = wave_speed();
    const auto at_surface = [&](double theta) {
      const float x = static_cast<float>(theta / s.k);
      return strf_evaluate(N, x, strf_evaluate(N, x, 0.f, 0.f).eta, 0.f);
    };
    const auto bernoulli = [&](const StrfPointValues& v) {
      const double ur = v.u - speed;
      return (ur * ur + double(v.w) * v.w) / (2 * kG) + v.eta;
    };
    const double q_crest = bernoulli(at_surface(0.0));
    const double mismatch = (N - 1) * std::fabs(s.k - s.k_B) * (c.d + c.H);
    for (int i = 1; i < N; ++i)
      EXPECT_NEAR(bernoulli(at_surface(i * kPi / (N - 1))), q_crest, (1e-5 + mismatch) * c.H)
          << "point " << i;

    double q_min = 1e300, q_max = -1e300, kinematic = 0.0;
    for (int p = 0; p < 96; ++p) {
      const double theta = 2.0 * kPi * p / 96;
      const StrfPointValues v = at_surface(theta);
      const double q = bernoulli(v);
      q_min = std::min(q_min, q);
      q_max = std::max(q_max, q);
      const double slope = surface_slope(s.k * static_cast<float>(theta / s.k));
      kinematic = std::max(kinematic, std::fabs(v.w - (v.u - speed) * slope));
    }
    EXPECT_LT((q_max - q_min) / c.H, c.surface_tolerance);
    EXPECT_LT(kinematic / speed, 2 * c.surface_tolerance);
  }
}

// A potential flow: du/dx + dw/dz = 0 and du/dz = dw/dx, by central
// differences over 0.05 m (truncation (k e)^2/6 below 1e-5 relative;
// single-precision outputs leave about 1e-5 m/s/m of rounding).
TEST(StrfWave, VelocityIsDivergenceFreeAndIrrotational) {
  for (const auto& c : wave_cases()) {
    SCOPED_TRACE(describe(c));
    const int N = set_up(c);
    const double e = 0.05;
    const double trough = strf_solution().Y[N];
    for (float t : {0.f, 1.3f, 4.1f}) {
      for (double z : {trough - 0.3, 0.5 * (trough - c.d), -0.9 * c.d}) {
        for (double x : {3.0, 17.0}) {
          const auto at = [&](double dx, double dz) {
            return strf_evaluate(N, static_cast<float>(x + dx), static_cast<float>(z + dz), t);
          };
          const double ux = (at(e, 0).u - at(-e, 0).u) / (2 * e);
          const double uz = (at(0, e).u - at(0, -e).u) / (2 * e);
          const double wx = (at(e, 0).w - at(-e, 0).w) / (2 * e);
          const double wz = (at(0, e).w - at(0, -e).w) / (2 * e);
          const double scale = std::max({std::fabs(ux), std::fabs(uz), 1e-3});
          EXPECT_NEAR(ux + wz, 0.0, 2e-3 * scale + 2e-5) << "t=" << t << " x=" << x << " z=" << z;
          EXPECT_NEAR(uz - wx, 0.0, 2e-3 * scale + 2e-5) << "t=" << t << " x=" << x << " z=" << z;
        }
      }
    }
  }
}

// u_t, w_t are the local derivatives; a_x, a_z the particle accelerations
// u_t + u u_x + w u_z and w_t + u w_x + w w_z.
TEST(StrfWave, AccelerationsAreTheDerivativesOfTheVelocity) {
  for (const auto& c : wave_cases()) {
    SCOPED_TRACE(describe(c));
    const int N = set_up(c);
    const double e = 0.05, dt = 0.01;
    const double trough = strf_solution().Y[N];
    for (float t : {0.4f, 2.7f}) {
      for (double z : {trough - 0.2, -0.6 * c.d}) {
        const double x = 5.0;
        const auto at = [&](double dx, double dz, double dtt) {
          return strf_evaluate(N, static_cast<float>(x + dx), static_cast<float>(z + dz),
                               static_cast<float>(t + dtt));
        };
        const StrfPointValues v = at(0, 0, 0);
        const double ut = (at(0, 0, dt).u - at(0, 0, -dt).u) / (2 * dt);
        const double wt = (at(0, 0, dt).w - at(0, 0, -dt).w) / (2 * dt);
        const double ux = (at(e, 0, 0).u - at(-e, 0, 0).u) / (2 * e);
        const double uz = (at(0, e, 0).u - at(0, -e, 0).u) / (2 * e);
        const double wx = (at(e, 0, 0).w - at(-e, 0, 0).w) / (2 * e);
        const double wz = (at(0, e, 0).w - at(0, -e, 0).w) / (2 * e);
        const double scale = std::max({std::fabs(v.ut), std::fabs(v.wt), 0.01f});
        const std::string where = "t=" + std::to_string(t) + " z=" + std::to_string(z);
        EXPECT_NEAR(v.ut, ut, 3e-3 * scale) << where;
        EXPECT_NEAR(v.wt, wt, 3e-3 * scale) << where;
        EXPECT_NEAR(v.ax, ut + v.u * ux + v.w * uz, 3e-3 * scale) << where;
        EXPECT_NEAR(v.az, wt + v.u * wx + v.w * wz, 3e-3 * scale) << where;
      }
    }
  }
}

// Fixed frame: the phase-averaged horizontal velocity at a fixed level below
// the troughs is the current (zero without one).
TEST(StrfWave, MeanVelocityBelowTheTroughsIsTheCurrent) {
  for (const auto& c : wave_cases()) {
    SCOPED_TRACE(describe(c));
    const int N = set_up(c);
    const StrfSolution& s = strf_solution();
    for (double z : {s.Y[N] - 0.1, -0.5 * c.d, -1.0 * c.d}) {
      double sum = 0.0;
      const int samples = 64;
      for (int p = 0; p < samples; ++p)
        sum += strf_evaluate(N, static_cast<float>(2 * kPi * p / samples / s.k),
                             static_cast<float>(z), 0.f).u;
      EXPECT_NEAR(sum / samples, c.U, 2e-6 * (1.0 + std::fabs(c.U))) << "z=" << z;
    }
  }
}

TEST(StrfWave, PeriodicInSpaceAndTimeAndAboveTheSurfaceTakesSurfaceValues) {
  for (const auto& c : wave_cases()) {
    SCOPED_TRACE(describe(c));
    const int N = set_up(c);
    const StrfSolution& s = strf_solution();
    const double L = 2 * kPi / s.k;
    const float x = 11.f, z = static_cast<float>(s.Y[N] - 1.0), t = 3.f;
    const StrfPointValues a = strf_evaluate(N, x, z, t);
    const StrfPointValues in_space = strf_evaluate(N, static_cast<float>(x + L), z, t);
    const StrfPointValues in_time = strf_evaluate(N, x, z, static_cast<float>(t + s.T));
    // x + L and t + T are rounded to single precision: a phase error of
    // about 1e-7 x k L.
    for (const auto& b : {in_space, in_time}) {
      EXPECT_NEAR(a.eta, b.eta, 1e-5 * c.H);
      EXPECT_NEAR(a.u, b.u, 1e-5 * (1 + std::fabs(a.u)));
      EXPECT_NEAR(a.w, b.w, 1e-5 * (1 + std::fabs(a.u)));
      EXPECT_NEAR(a.ax, b.ax, 1e-5 * (1 + std::fabs(a.ax)));
      EXPECT_NEAR(a.az, b.az, 1e-5 * (1 + std::fabs(a.ax)));
    }
    // The surface level itself reaches the evaluation rounded to single
    // precision, so the two agree to that rounding.
    for (float tx : {0.f, 2.f, 5.5f}) {
      const StrfPointValues surface = strf_evaluate(N, x, strf_evaluate(N, x, 0.f, tx).eta, tx);
      const StrfPointValues above = strf_evaluate(N, x, surface.eta + 3.f, tx);
      const double scale = 1e-6 * (std::fabs(surface.u) + std::fabs(surface.w) + 1.0);
      EXPECT_NEAR(above.u, surface.u, scale);
      EXPECT_NEAR(above.w, surface.w, scale);
      EXPECT_NEAR(above.ax, surface.ax, scale);
      EXPECT_NEAR(above.az, surface.az, scale);
      EXPECT_EQ(above.eta, surface.eta);
    }
  }
}

// Deep water, moderate steepness, against Stokes' third-order wave:
//   eta = a cos t + k a^2/2 cos 2t + 3/8 k^2 a^3 cos 3t,  c^2 = g/k (1 + (ka)^2),
// so H = 2a + 3/4 k^2 a^3 and the crest is a + k a^2/2 + 3/8 k^2 a^3. The
// next terms are O((ka)^4) relative in c^2 (5/4 (ka)^4) and O(a (ka)^3) in
// the crest, where the fourth-order terms have coefficients of order one:
// below 2e-4 and 3 (ka)^3 a.
TEST(StrfWave, DeepWaterMatchesStokesThirdOrder) {
  for (const double steepness : {0.02, 0.032}) {  // H / L0
    SCOPED_TRACE("H/L0 = " + std::to_string(steepness));
    const float T = 8.f;
    const double omega = 2 * kPi / T;
    const double L0 = kG * T * T / (2 * kPi);
    const float H = static_cast<float>(steepness * L0);
    const int N = set_up({"deep", static_cast<float>(2 * L0), T, H, 0.f});
    double k = omega * omega / kG, a = H / 2.0;
    for (int i = 0; i < 100; ++i) {
      a = H / (2.0 + 0.75 * k * k * a * a);
      k = omega * omega / (kG * (1.0 + k * k * a * a));
    }
    const StrfSolution& s = strf_solution();
    EXPECT_NEAR(s.k / k, 1.0, 2e-4);
    const double crest = a + 0.5 * k * a * a + 0.375 * k * k * a * a * a;
    const double ka3 = std::pow(k * a, 3);
    EXPECT_NEAR(strf_evaluate(N, 0.f, 0.f, 0.f).eta, crest, 3 * ka3 * a);
    // Second harmonic of the profile: k a^2 / 2 (its next correction is O(a (ka)^3)).
    EXPECT_NEAR(s.E[2], 0.5 * k * a * a, 3 * ka3 * a);
  }
}


// A very low wave (H/L0 = 1e-4) is linear: the nonlinear corrections are
// O((ka)^2) in the wave number and, relative to the amplitudes, that of
// Stokes' second harmonic, ka (3 - s^2) / (4 s^3) with s = tanh(kd), which
// grows in shallow water (2.7e-3 at d = 5 m here, 3e-4 in deep water).
TEST(StrfWave, VeryLowWaveIsLinear) {
  for (const float d : {5.f, 20.f, 100.f}) {
    SCOPED_TRACE("d = " + std::to_string(d));
    const float T = 8.f;
    const double omega = 2 * kPi / T;
    const float H = static_cast<float>(1e-4 * kG * T * T / (2 * kPi));
    const int N = set_up({"low", d, T, H, 0.f});
    const double k = bisected_wave_number(omega, d, kG);
    EXPECT_NEAR(strf_solution().k / k, 1.0, 1e-5);
    const double a = H / 2.0;
    const double s = std::tanh(k * d);
    const double tolerance = 1.5 * k * a * (3 - s * s) / (4 * s * s * s) + 1e-4;
    for (const float t : {0.f, 1.1f, 3.7f}) {
      for (const float x : {0.f, 7.f}) {
        const double theta = k * x - omega * t;
        const StrfPointValues surface = strf_evaluate(N, x, 0.f, t);
        EXPECT_NEAR(surface.eta, a * std::cos(theta), tolerance * a);
        for (const double z : {-0.01 * d, -0.5 * d, -1.0 * d}) {
          const StrfPointValues v = strf_evaluate(N, x, static_cast<float>(z), t);
          const double amplitude = omega * a / std::sinh(k * d);
          const std::string where = "t=" + std::to_string(t) + " x=" + std::to_string(x) +
                                    " z=" + std::to_string(z);
          EXPECT_NEAR(v.u, amplitude * std::cosh(k * (z + d)) * std::cos(theta),
                      tolerance * amplitude * std::cosh(k * d)) << where;
          EXPECT_NEAR(v.w, amplitude * std::sinh(k * (z + d)) * std::sin(theta),
                      tolerance * amplitude * std::cosh(k * d)) << where;
        }
      }
    }
  }
}

// A current only carries the wave along: with current U and period T the
// wave is the one without current at the period 2 pi / (omega - k U) seen by
// an observer drifting with the current (same wave number and profile).
TEST(StrfWave, CurrentDopplerShiftsTheWave) {
  for (const WaveCase& c : {WaveCase{"intermediate", 20.f, 8.f, 3.f, 1.2f},
                            WaveCase{"shallow", 10.f, 12.f, 3.f, 1.f},
                            WaveCase{"deep", 200.f, 9.f, 6.f, -1.5f}}) {
    SCOPED_TRACE(describe(c));
    const int N = set_up(c);
    const StrfSolution with_current = strf_solution();
    const double relative_period = 2 * kPi / (2 * kPi / c.T - with_current.k * c.U);
    ASSERT_EQ(set_up({"drifting", c.d, static_cast<float>(relative_period), c.H, 0.f}), N);
    const StrfSolution& drifting = strf_solution();
    EXPECT_NEAR(with_current.k / drifting.k, 1.0, 2e-6);
    for (int j = 1; j < N; ++j) EXPECT_NEAR(with_current.E[j], drifting.E[j], 2e-6 * c.H) << j;
  }
}

}  // namespace
}  // namespace pelm
