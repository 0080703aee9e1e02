#include "models/irregular/field_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "interface/library_state.h"
#include "interface/model_dispatch.h"
#include "models/irregular/linear_field.h"
#include "numerics/constants.h"
#include "numerics/dispersion.h"
#include "runtime/cpu_features.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"

namespace pelm {
namespace {

// The paths this processor runs; a path it cannot run is reported, not tested.
std::vector<FieldPath> runnable_paths() {
  std::vector<FieldPath> paths = {FieldPath::sse2};
  if (cpu_runs_avx2_fma()) paths.push_back(FieldPath::avx2);
  else std::printf("[ NOTE ] this processor lacks AVX2 with FMA: the avx2 path goes untested\n");
  if (cpu_runs_avx512()) paths.push_back(FieldPath::avx512);
  else std::printf("[ NOTE ] this processor lacks AVX-512: the avx512 path goes untested\n");
  return paths;
}

// Restores the automatic choice after a test that forces a path.
class ForcedPath : public ::testing::Test {
 protected:
  void TearDown() override { select_field_path(FieldPath::automatic); }
};

bool have_wider_reference() { return std::numeric_limits<long double>::digits >= 64; }

using ForcedPathSineCosine = ForcedPath;

// A field whose phases are the given values: omega = k = 0, phi = the value,
// so that every path's phase is the value itself.
TEST_F(ForcedPathSineCosine, EveryPathIsWithinAnUlpOrSoOverAndBeyondThePhasesOfASea) {
  if (!have_wider_reference()) GTEST_SKIP() << "long double is no wider than double here";
  // 1.6e6 is the edge of the exact reduction; 1e8 lies beyond it (the scalar
  // fallback), reached through omega t.
  const std::vector<double> scales = {1.0, 1e3, 1e5, 1.6e6, 1e8};
  for (FieldPath path : runnable_paths()) {
    ASSERT_TRUE(select_field_path(path));
    for (double scale : scales) {
      std::mt19937_64 random(7);
      std::uniform_real_distribution<double> value(-scale, scale);
      IregModel model;
      for (int i = 0; i < 2003; ++i) model.components.push_back(WaveComponent{1.0, 0.0, 0.0, 0.0, 0.0});
      prepare_linear_field(model, 50.0);
      LinearFieldArrays& f = model.field;
      // Beyond the reduction the phase comes from omega t (t = 1), so that
      // the kernels' bound on the phases sees it.
      const bool via_time = scale > 1e7;
      for (std::size_t i = 0; i < f.count; ++i) (via_time ? f.omega[i] : f.phase[i]) = value(random);
      f.omega_max = via_time ? scale : 0.0;
      f.phase_max = via_time ? 0.0 : scale;
      std::vector<double> s(f.padded), c(f.padded);
      const double eta = field_kernels().phases(f, 1.0, 0.0, 0.0, s.data(), c.data());
      long double sum = 0.0L;
      double worst = 0.0;
      for (std::size_t i = 0; i < f.count; ++i) {
        const long double x = via_time ? f.omega[i] : f.phase[i];
        worst = std::max(worst, static_cast<double>(std::fabs(s[i] - std::sin(x))));
        worst = std::max(worst, static_cast<double>(std::fabs(c[i] - std::cos(x))));
        sum += std::sin(x);
      }
      // About an ulp of 1 (2.2e-16): the results are at most 1 in size.
      EXPECT_LT(worst, 3.5e-16) << field_path_name(path) << " scale " << scale;
      EXPECT_NEAR(eta, static_cast<double>(sum), 1e-12) << field_path_name(path) << " scale " << scale;
    }
  }
}

using ForcedPathDepthFactors = ForcedPath;

// The kernels' own exponential sets the depth factors: one component with
// sin = cos = 1 at shallow to very deep kh, from the surface to the bed, on
// every path, to a few ulps of the long-double hyperbolic forms.
TEST_F(ForcedPathDepthFactors, EveryPathIsWithinAFewUlpsAtEveryDepth) {
  if (!have_wider_reference()) GTEST_SKIP() << "long double is no wider than double here";
  const double h = 50.0;
  for (FieldPath path : runnable_paths()) {
    ASSERT_TRUE(select_field_path(path));
    for (double kh : {0.05, 0.7, 3.0, 20.0, 300.0, 900.0}) {
      IregModel model;
      model.components.push_back(WaveComponent{1.0, 0.8, 0.0, kh / h, 0.0});
      prepare_linear_field(model, h);
      const LinearFieldArrays& f = model.field;
      std::vector<double> ones(f.padded, 1.0);
      for (double depth_fraction : {0.0, 0.013, 0.25, 0.5, 0.9, 1.0}) {
        const double below = -depth_fraction * h;
        double out[7];
        field_kernels().kinematics(f, ones.data(), ones.data(), below, out);
        // cosh(k zs)/sinh(k h) and sinh(k zs)/sinh(k h) as exp(k (zs - h)) (1 +- r^2/q^2) / (1 - r^2),
        // with the field's own k. The exponent k (zs - h) is rounded once in
        // double: exp carries that as |k (zs - h)| ulps.
        const long double k = f.k[0], x = k * below;
        const long double q = std::exp(x), r2 = std::exp(-2.0L * k * h);
        const long double cz = (q + r2 / q) / (1.0L - r2), sz = (q - r2 / q) / (1.0L - r2);
        const double u = static_cast<double>(0.8L * cz), w = static_cast<double>(0.8L * sz);
        const double ulps = (4.0 + static_cast<double>(std::fabs(x))) * 0x1.0p-53;
        SCOPED_TRACE(std::string(field_path_name(path)) + " kh " + std::to_string(kh) + " at " +
                     std::to_string(depth_fraction));
        EXPECT_NEAR(out[0], u, ulps * u + 1e-300);
        EXPECT_NEAR(out[2], w, ulps * u + 1e-300);
      }
    }
  }
}

// An independent reference in long double: the textbook hyperbolic forms
// where they are finite, their deep-water limits beyond.
struct Reference {
  long double eta = 0, vel[3] = {0, 0, 0}, acc[3] = {0, 0, 0}, p = 0;
};

long double ratio_cosh_sinh(long double k, long double zs, long double h, bool cosh_top, bool sinh_bottom) {
  if (k * h < 5000.0L) {
    const long double top = cosh_top ? std::cosh(k * zs) : std::sinh(k * zs);
    const long double bottom = sinh_bottom ? std::sinh(k * h) : std::cosh(k * h);
    return top / bottom;
  }
  return std::exp(k * (zs - h));  // both ratios tend to exp(k (zs - h)) for kh -> inf
}

Reference reference(const std::vector<WaveComponent>& components, int stretching, long double h,
                    long double t, long double x, long double y, long double z) {
  Reference r;
  for (const WaveComponent& c : components) {
    const long double alpha = c.omega * t - c.k * (x * std::cos(static_cast<long double>(c.direction)) +
                                                   y * std::sin(static_cast<long double>(c.direction))) + c.phase;
    r.eta += c.amplitude * std::sin(alpha);
  }
  const long double top = stretching == 1 ? r.eta : 0.0L;
  if (z > top || z < -h) return r;
  const long double zs = stretching == 1 ? (z + h) / (r.eta / h + 1.0L) : z + h;
  const long double rho_g = static_cast<long double>(LibraryState::density) * LibraryState::gravity;
  for (const WaveComponent& c : components) {
    const long double cd = std::cos(static_cast<long double>(c.direction));
    const long double sd = std::sin(static_cast<long double>(c.direction));
    const long double alpha = c.omega * t - c.k * (x * cd + y * sd) + c.phase;
    const long double s = std::sin(alpha), co = std::cos(alpha);
    const long double w = c.omega, a = c.amplitude, k = c.k;
    const long double cz_sh = ratio_cosh_sinh(k, zs, h, true, true);
    const long double sz_sh = ratio_cosh_sinh(k, zs, h, false, true);
    const long double cz_ch = ratio_cosh_sinh(k, zs, h, true, false);
    r.vel[0] += w * a * cz_sh * s * cd;
    r.vel[1] += w * a * cz_sh * s * sd;
    r.vel[2] += w * a * sz_sh * co;
    r.acc[0] += w * w * a * cz_sh * co * cd;
    r.acc[1] += w * w * a * cz_sh * co * sd;
    r.acc[2] -= w * w * a * sz_sh * s;
    r.p += rho_g * a * cz_ch * s;
  }
  return r;
}

using ForcedPathSea = ForcedPath;

// Every path against the long-double reference on seas of 200 and 1000
// components, shallow to very deep (kh beyond 710, where sinh overflows in
// double), at points on the bed, just below the instantaneous surface, mid
// column and at still water, for both stretchings. 1e-12 of the largest
// value of each quantity over the points (its column's scale), or of the
// value itself when larger.
TEST_F(ForcedPathSea, EveryPathAgreesWithALongDoubleReference) {
  if (!have_wider_reference()) GTEST_SKIP() << "long double is no wider than double here";
  struct Sea {
    int n;
    double depth;
    double shortest_period;
  };
  const std::vector<Sea> seas = {{200, 50.0, 3.0}, {1000, 50.0, 3.0}, {1000, 3000.0, 1.5}};
  for (const Sea& sea : seas) {
    std::mt19937_64 random(static_cast<unsigned>(sea.n) + static_cast<unsigned>(sea.depth));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<WaveComponent> components;
    for (int i = 0; i < sea.n; ++i) {
      WaveComponent c;
      const double period = sea.shortest_period + (25.0 - sea.shortest_period) * unit(random);
      c.omega = 2.0 * kPi / period;
      c.amplitude = 0.05 + 0.2 * unit(random);
      c.phase = 2.0 * kPi * unit(random);
      c.direction = -1.0 + 2.0 * unit(random);
      c.k = wave_number(c.omega, sea.depth);
      components.push_back(c);
    }
    for (int stretching : {0, 1}) {
      IregModel model;
      model.components = components;
      model.stretching = stretching;
      model.precompute = false;
      LibraryState state;
      state.depth = sea.depth;
      prepare_linear_field(model, sea.depth);
      struct Point {
        double t, x, y, z;
      };
      std::vector<Point> points;
      for (int q = 0; q < 12; ++q) {
        const double t = 600.0 * unit(random), x = -100.0 + 200.0 * unit(random), y = -50.0 + 100.0 * unit(random);
        const double eta = static_cast<double>(reference(components, 0, sea.depth, t, x, y, 1e9).eta);
        const double top = stretching == 1 ? eta : std::min(eta, 0.0);
        for (double z : {-sea.depth, top - 1e-6, -0.5 * sea.depth, std::min(top, 0.0) - 1e-3})
          points.push_back({t, x, y, z});
      }
      std::vector<std::vector<double>> ours_by_path;
      std::vector<Reference> refs;
      for (const Point& p : points) refs.push_back(reference(components, stretching, sea.depth, p.t, p.x, p.y, p.z));
      // The scale of each of the eight quantities over the points.
      std::vector<long double> scale(8, 0.0L);
      auto values = [](const Reference& r) {
        return std::vector<long double>{r.eta, r.vel[0], r.vel[1], r.vel[2], r.acc[0], r.acc[1], r.acc[2], r.p};
      };
      for (const Reference& r : refs) {
        const auto v = values(r);
        for (int q = 0; q < 8; ++q) scale[q] = std::max(scale[q], std::fabs(v[q]));
      }
      const char* names[8] = {"eta", "u", "v", "w", "ax", "ay", "az", "p"};
      for (FieldPath path : runnable_paths()) {
        ASSERT_TRUE(select_field_path(path));
        for (std::size_t i = 0; i < points.size(); ++i) {
          const Point& p = points[i];
          state.time = p.t;
          const double pos[3] = {p.x, p.y, p.z};
          double eta = 0.0, vel[3], acc[3], pdyn;
          linear_field_elevation(pos, model, state, eta);
          linear_field_kinematics(model, state, pos, vel, acc, pdyn);
          const double ours[8] = {eta, vel[0], vel[1], vel[2], acc[0], acc[1], acc[2], pdyn};
          const auto ref = values(refs[i]);
          for (int q = 0; q < 8; ++q) {
            const long double tolerance = 1e-12L * std::max(std::fabs(ref[q]), scale[q]);
            EXPECT_LE(std::fabs(ours[q] - ref[q]), tolerance)
                << field_path_name(path) << " N=" << sea.n << " h=" << sea.depth << " stretching "
                << stretching << " " << names[q] << " at t=" << p.t << " z=" << p.z;
          }
          for (int q = 1; q < 8; ++q) ASSERT_TRUE(std::isfinite(ours[q])) << names[q];
        }
      }
    }
  }
}

using ForcedPathExamples = ForcedPath;

// The bundled examples, set up and evaluated on each path, give the same
// values to 1e-12 of each quantity's largest value over the run.
TEST_F(ForcedPathExamples, GiveTheSameOutputOnEveryPath) {
  const std::filesystem::path examples =
      std::filesystem::path(PELM_TEST_DATA_DIR).parent_path().parent_path() / "examples";
  TempFolder folder;
  std::filesystem::copy(examples, folder.path("examples"), std::filesystem::copy_options::recursive);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path(""));
  const std::vector<FieldPath> paths = runnable_paths();
  for (const auto& entry : std::filesystem::directory_iterator(examples)) {
    if (entry.path().extension() != ".inp") continue;
    const std::string input = "examples/" + entry.path().filename().string();
    std::vector<std::vector<double>> runs;
    for (FieldPath path : paths) {
      ASSERT_TRUE(select_field_path(path));
      ConsoleCapture quiet;
      LibraryState state;
      initialise_library(state, input, 0.0, 120.0, 0.5);
      ASSERT_TRUE(state.model_ready) << input;
      std::vector<double> run;
      for (double t = 0.0; t <= 120.0; t += 7.3) {
        state.time = t;
        for (double z : {-25.0, -8.0, -1.0, 0.5}) {
          const double pos[3] = {0.37 * t - 20.0, 3.0, z};
          double eta = 0.0, vel[3], acc[3], pdyn;
          evaluate_elevation(state, pos, eta);
          evaluate_kinematics(state, pos, vel, acc, pdyn);
          run.insert(run.end(), {eta, vel[0], vel[1], vel[2], acc[0], acc[1], acc[2], pdyn});
        }
      }
      runs.push_back(run);
    }
    for (std::size_t r = 1; r < runs.size(); ++r) {
      for (std::size_t q = 0; q < 8; ++q) {
        double scale = 0.0;
        for (std::size_t i = q; i < runs[0].size(); i += 8) scale = std::max(scale, std::fabs(runs[0][i]));
        for (std::size_t i = q; i < runs[0].size(); i += 8)
          EXPECT_LE(std::fabs(runs[r][i] - runs[0][i]), 1e-12 * scale)
              << input << " path " << field_path_name(paths[r]) << " value " << q << " entry " << i / 8;
      }
    }
  }
  std::filesystem::current_path(previous);
}

TEST(FieldDispatch, TheAutomaticChoiceIsTheFastestPathTheProcessorRuns) {
  ASSERT_TRUE(select_field_path(FieldPath::automatic));
  EXPECT_EQ(active_field_path(), cpu_runs_avx512()     ? FieldPath::avx512
                                 : cpu_runs_avx2_fma() ? FieldPath::avx2
                                                       : FieldPath::sse2);
  EXPECT_STREQ(field_kernels().name, field_path_name(active_field_path()));
  EXPECT_EQ(select_field_path(FieldPath::avx2), cpu_runs_avx2_fma());
  EXPECT_EQ(select_field_path(FieldPath::avx512), cpu_runs_avx512());
  select_field_path(FieldPath::automatic);
}

}  // namespace
}  // namespace pelm
