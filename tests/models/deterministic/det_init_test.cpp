// The measured sea against independent expectations: the record it replays
// at the origin (the inverse of the transform, written here as plain sums),
// the linear potential for the kinematics, and the direct sum for the grid.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "interface/library_state.h"
#include "models/deterministic/det_model.h"
#include "models/irregular/linear_field.h"
#include "numerics/constants.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"

namespace pelm {
namespace {

// How the record file is written.
struct Layout {
  std::int32_t nskip = 0;
  std::int32_t time_column = 1;
  std::int32_t elevation_column = 2;
  std::int32_t width = 2;  // values per record (plus one ignored value after them)
  bool commas = false;
  bool wrapped = false;    // every record over two lines
};

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

std::string record_text(const std::vector<double>& times, const std::vector<double>& elevations,
                        const Layout& layout) {
  std::string text;
  for (std::int32_t i = 0; i < layout.nskip; ++i) text += "header " + std::to_string(i) + ", 1 2 x\n";
  for (std::size_t n = 0; n < times.size(); ++n) {
    for (std::int32_t c = 1; c <= layout.width + 1; ++c) {
      const double value = c == layout.time_column        ? times[n]
                           : c == layout.elevation_column ? elevations[n]
                                                          : 1000.0 + c;
      if (c > 1) text += layout.commas ? ", " : " ";
      if (c == 2 && layout.wrapped) text += "\n";
      text += number(value);
    }
    text += "\n";
  }
  return text;
}

// A reproducible record with energy in every bin: deviates of the minimal
// standard generator, plus an offset.
std::vector<double> noisy_record(std::size_t n, double offset) {
  std::vector<double> x(n);
  std::int64_t state = 12345;
  for (double& v : x) {
    state = state * 16807 % 2147483647;
    v = offset + 2.0 * static_cast<double>(state) / 2147483647.0 - 1.0;
  }
  return x;
}

std::vector<double> sample_times(std::size_t n, double first, double step) {
  std::vector<double> t(n);
  for (std::size_t i = 0; i < n; ++i) t[i] = first + static_cast<double>(i) * step;
  return t;
}

struct Outcome {
  bool ok = false;
  std::vector<std::string> messages;
};

class DetSea : public ::testing::Test {
 protected:
  // Writes the record and points a fresh model at it.
  DetModel& model_of(const std::vector<double>& times, const std::vector<double>& elevations,
                     const Layout& layout = {}, double cutoff = 0.0) {
    model_ = DetModel();
    model_.file_name = folder_.write("record.txt", record_text(times, elevations, layout));
    model_.sample_count = static_cast<std::int32_t>(times.size());
    model_.skip_lines = layout.nskip;
    model_.time_column = layout.time_column;
    model_.elevation_column = layout.elevation_column;
    model_.cutoff_fraction = cutoff;
    model_.field.precompute = false;
    return model_;
  }
  Outcome set_up(double t_start = 0.0, double t_end = 60.0) {
    ConsoleCapture capture;
    Outcome result;
    result.ok = det_airy_init(model_, state_, t_start, t_end);
    result.messages = capture.lines();
    return result;
  }
  double eta(double t, double x = 0.0, double y = 0.0) {
    state_.time = t;
    const double pos[3] = {x, y, 0.0};
    double value = 0.0;
    linear_field_elevation(pos, model_.field, state_, value);
    return value;
  }
  struct Kin {
    double vel[3], acc[3], p;
  };
  Kin kin(double t, double x, double y, double z) {
    state_.time = t;
    const double pos[3] = {x, y, z};
    Kin k{};
    linear_field_kinematics(model_.field, state_, pos, k.vel, k.acc, k.p);
    return k;
  }

  TempFolder folder_;
  DetModel model_;
  LibraryState state_ = [] {
    LibraryState s;
    s.depth = 25.0;
    return s;
  }();
};

// At x = 0 and t = n T / N the components give back sample n less the mean.
// The bin N/2 of an even record is built like every other bin, with twice
// its share of the inverse transform: its sum over the record, with signs
// alternating, divided by N comes in a second time.
TEST_F(DetSea, ReplaysTheRecordFromHostTimeZero) {
  struct Case {
    const char* name;
    std::size_t n;
    double first_time, step;
    Layout layout;
  };
  const std::vector<Case> cases = {
      {"odd N, two columns", 65, 0.0, 0.1, {}},
      {"even N, header and commas", 64, 0.0, 0.25, {3, 1, 2, 2, true, false}},
      {"prime N, columns 3 1, first time 100", 61, 100.0, 0.5, {1, 3, 1, 4, false, false}},
      {"prime N, records wrapped over two lines", 127, -20.0, 0.05, {0, 2, 4, 5, false, true}},
      {"N = 2 x 47 wrapped with commas", 94, 3.0, 0.2, {2, 1, 2, 2, true, true}},
      {"N = 3^4", 81, 0.0, 1.0, {0, 2, 1, 3, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<double> x = noisy_record(c.n, 0.4);
    const std::vector<double> times = sample_times(c.n, c.first_time, c.step);
    model_of(times, x, c.layout);
    const Outcome result = set_up();
    ASSERT_TRUE(result.ok) << ::testing::PrintToString(result.messages);
    EXPECT_TRUE(result.messages.empty()) << ::testing::PrintToString(result.messages);

    const double length = times.back() - times.front();
    EXPECT_EQ(model_.record_length, length);
    const std::size_t bins = c.n / 2;
    ASSERT_EQ(model_.field.components.size(), bins);  // cutoff 0 keeps every bin
    for (std::size_t j = 1; j <= bins; ++j) {
      EXPECT_NEAR(model_.field.components[j - 1].omega, 2.0 * kPi * static_cast<double>(j) / length,
                  1e-15 * 2.0 * kPi * static_cast<double>(j) / length);
      EXPECT_EQ(model_.field.components[j - 1].direction, 0.0);
    }

    double mean = 0.0, alternating = 0.0;
    for (std::size_t i = 0; i < c.n; ++i) {
      mean += x[i];
      alternating += (i % 2 == 0 ? 1.0 : -1.0) * x[i];
    }
    mean /= static_cast<double>(c.n);
    const double nyquist = c.n % 2 == 0 ? alternating / static_cast<double>(c.n) : 0.0;
    for (std::size_t i = 0; i < c.n; ++i) {
      const double expected = x[i] - mean + (i % 2 == 0 ? nyquist : -nyquist);
      // Sums of N/2 terms of size 1/N each: rounding stays near 1e-15.
      ASSERT_NEAR(eta(static_cast<double>(i) * length / static_cast<double>(c.n)), expected, 1e-12)
          << "sample " << i;
    }
    // The field repeats with the record length, whatever the first time.
    EXPECT_NEAR(eta(2.0 * length + 0.3), eta(0.3), 1e-10);
  }
}

TEST_F(DetSea, SingleSineGivesOneComponentAndAnOffsetChangesNothing) {
  // 64 samples of 0.5 sin(2 pi 5 n / 64 + 0.3) at 0.1 s spacing.
  const std::vector<double> times = sample_times(64, 0.0, 0.1);
  std::vector<double> x(64);
  for (std::size_t n = 0; n < 64; ++n) x[n] = 0.5 * std::sin(2.0 * kPi * 5.0 * static_cast<double>(n) / 64.0 + 0.3);
  for (double offset : {0.0, 7.25}) {
    SCOPED_TRACE("offset " + std::to_string(offset));
    std::vector<double> shifted = x;
    for (double& v : shifted) v += offset;
    model_of(times, shifted, {}, 1e-05);
    ASSERT_TRUE(set_up().ok);
    ASSERT_EQ(model_.field.components.size(), 1u);
    const WaveComponent& c = model_.field.components[0];
    EXPECT_NEAR(c.amplitude, 0.5, 1e-13);
    EXPECT_NEAR(c.phase, 0.3, 1e-13);
    EXPECT_NEAR(c.omega, 2.0 * kPi * 5.0 / 6.3, 1e-13);
    // omega^2 = g k tanh(k h), to the solver's step tolerance of 1e-6 rad/m.
    EXPECT_NEAR(c.omega * c.omega, kGravity * c.k * std::tanh(c.k * 25.0), 1e-4);
  }
}

// The kinematics of the rebuilt sea against linear theory: velocity from
// the potential g A / omega cosh(k (z + h)) / cosh(k h) cos(alpha), zero
// divergence, and the acceleration as the time derivative of the velocity.
TEST_F(DetSea, KinematicsFollowTheLinearPotential) {
  const std::size_t n = 101;
  const std::vector<double> times = sample_times(n, 0.0, 0.4);
  std::vector<double> x(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double s = 2.0 * kPi * static_cast<double>(i) / static_cast<double>(n);
    x[i] = 0.8 * std::sin(5.0 * s + 0.2) + 0.3 * std::sin(9.0 * s - 1.0) + 0.1 * std::cos(14.0 * s);
  }
  model_of(times, x, {}, 1e-05);
  model_.field.stretching = 0;
  ASSERT_TRUE(set_up().ok);
  ASSERT_EQ(model_.field.components.size(), 10u);  // bins 5 .. 14, the inner ones nearly empty
  const double h = state_.depth;
  const auto potential = [&](double t, double px, double pz) {
    double phi = 0.0;
    for (const WaveComponent& c : model_.field.components)
      phi += kGravity * c.amplitude / c.omega * std::cosh(c.k * (pz + h)) / std::cosh(c.k * h) *
             std::cos(c.omega * t - c.k * px + c.phase);
    return phi;
  };
  const double e = 1e-4;
  for (const auto& p : std::vector<std::array<double, 3>>{{0.0, 0.0, -1.0}, {13.0, 2.0, -8.0}, {-30.0, -5.0, -24.0}}) {
    for (double t : {0.0, 7.3, 55.1}) {
      SCOPED_TRACE("t=" + std::to_string(t) + " x=" + std::to_string(p[0]));
      const Kin k = kin(t, p[0], p[1], p[2]);
      EXPECT_NEAR(k.vel[0], (potential(t, p[0] + e, p[2]) - potential(t, p[0] - e, p[2])) / (2 * e), 1e-7);
      EXPECT_EQ(k.vel[1], 0.0);
      EXPECT_NEAR(k.vel[2], (potential(t, p[0], p[2] + e) - potential(t, p[0], p[2] - e)) / (2 * e), 1e-7);
      EXPECT_NEAR(k.p, -kWaterDensity * (potential(t + e, p[0], p[2]) - potential(t - e, p[0], p[2])) / (2 * e),
                  1e-3);
      const Kin dx1 = kin(t, p[0] + e, p[1], p[2]), dx0 = kin(t, p[0] - e, p[1], p[2]);
      const Kin dz1 = kin(t, p[0], p[1], p[2] + e), dz0 = kin(t, p[0], p[1], p[2] - e);
      EXPECT_NEAR((dx1.vel[0] - dx0.vel[0] + dz1.vel[2] - dz0.vel[2]) / (2 * e), 0.0, 1e-8);
      const Kin later = kin(t + e, p[0], p[1], p[2]), earlier = kin(t - e, p[0], p[1], p[2]);
      for (int i : {0, 2}) EXPECT_NEAR(k.acc[i], (later.vel[i] - earlier.vel[i]) / (2 * e), 1e-8) << i;
    }
  }
}

TEST_F(DetSea, GridAgreesWithTheDirectSum) {
  const std::size_t n = 101;
  const std::vector<double> times = sample_times(n, 0.0, 0.4);
  const std::vector<double> x = noisy_record(n, 0.0);
  model_of(times, x, {}, 0.01);
  model_.field.stretching = 0;
  ASSERT_TRUE(set_up(0.0, 30.0).ok);
  const std::vector<WaveComponent> direct_components = model_.field.components;
  const auto node = [&](std::size_t i) { return model_.field.grid->t_first + static_cast<double>(i) * model_.field.grid->dt_grid; };

  model_of(times, x, {}, 0.01);
  model_.field.stretching = 0;
  model_.field.precompute = true;
  const Outcome gridded = set_up(0.0, 30.0);
  ASSERT_TRUE(gridded.ok);
  EXPECT_EQ(gridded.messages, (std::vector<std::string>{"In Pelm_dll, calculating wave field",
                                                        "In Pelm_dll, calculating wave field - done"}));
  const PregenGrid& g = *model_.field.grid;
  // The default time step is a tenth of the period of the highest kept bin.
  EXPECT_NEAR(g.dt_grid, 2.0 * kPi / model_.field.components.back().omega / 10.0, 1e-15);
  ASSERT_EQ(model_.field.components.size(), direct_components.size());

  IregModel direct;
  direct.precompute = false;
  direct.stretching = 0;
  direct.components = direct_components;
  prepare_linear_field(direct, state_.depth);
  for (std::size_t i = 0; i < static_cast<std::size_t>(g.nt); i += 7) {
    SCOPED_TRACE("node " + std::to_string(i));
    const double t = node(i);
    state_.time = t;
    const double origin[3] = {0.0, 0.0, 0.0};
    double sum = 0.0;
    linear_field_elevation(origin, direct, state_, sum);
    EXPECT_NEAR(g.eta[i], sum, 1e-12);
    // The look-up nudges the time 1e-7 s into the cell.
    EXPECT_NEAR(eta(t), sum, 1e-6);
    const double z = g.level_height[9] - state_.depth;
    const double pos[3] = {0.0, 0.0, z};
    double vel[3], acc[3], p;
    linear_field_kinematics(direct, state_, pos, vel, acc, p);
    const Kin k = kin(t, 0.0, 0.0, z);
    for (int q = 0; q < 3; ++q) {
      EXPECT_NEAR(k.vel[q], vel[q], 1e-5);
      EXPECT_NEAR(k.acc[q], acc[q], 1e-5);
    }
    EXPECT_NEAR(k.p, p, 1e-5 * kWaterDensity * kGravity);
  }
}

// Inputs that cannot give a sea, and those that give a calm one.
TEST_F(DetSea, EdgeCasesHaveADefinedResult) {
  struct Case {
    const char* name;
    std::vector<double> times, elevations;
    double cutoff;
    bool precompute;
    std::int32_t samples;  // -1: as many as written
    Layout layout;
    bool ok;
    std::vector<const char*> messages;  // starts of the lines written
    std::size_t components;
  };
  const std::vector<double> t5 = sample_times(5, 0.0, 1.0);
  const std::vector<double> x5 = {0.1, -0.4, 0.3, 0.2, -0.5};
  const std::vector<double> t8 = sample_times(8, 0.0, 1.0);
  // Bins 1 and 3 of 8 samples, with equal energy.
  std::vector<double> two_sines(8);
  for (std::size_t i = 0; i < 8; ++i) {
    const double s = 2.0 * kPi * static_cast<double>(i) / 8.0;
    two_sines[i] = std::sin(s) + std::sin(3.0 * s);
  }
  const char* calm_record = "*** INFO *** det_airy record ";
  const char* none_kept = "*** INFO *** det_airy keeps no wave component of record ";
  const char* no_grid = "*** INFO *** det_airy has no wave component to precompute - no grid, calm sea";
  const std::int32_t all = -1;
  const std::vector<Case> cases = {
      {"one sample", {0.0}, {1.0}, 1e-05, false, all, {}, false,
       {"*** ERROR *** det_airy needs a record of at least 2 samples (nsamples), not 1 - wave model not set up"}, 0},
      {"no sample", t5, x5, 1e-05, false, 0, {}, false,
       {"*** ERROR *** det_airy needs a record of at least 2 samples (nsamples), not 0 - wave model not set up"}, 0},
      {"cutoff above 1", t5, x5, 1.5, false, all, {}, false,
       {"*** ERROR *** det_airy cutoff_frac must not exceed 1, not 1.5 - wave model not set up"}, 0},
      {"column 0", t5, x5, 1e-05, false, all, {0, 0, 2, 2, false, false}, false,
       {"*** ERROR *** det_airy columns must be 1 or more, not 0 2 - wave model not set up"}, 0},
      {"equal first and last times", {2.0, 3.0, 2.0}, {0.1, 0.2, 0.3}, 1e-05, false, all, {}, false,
       {"*** ERROR *** det_airy record "}, 0},
      {"decreasing times", {5.0, 4.0, 3.0}, {0.1, 0.2, 0.3}, 1e-05, false, all, {}, false,
       {"*** ERROR *** det_airy record "}, 0},
      {"all-zero record", t5, {0, 0, 0, 0, 0}, 1e-05, false, all, {}, true, {calm_record}, 0},
      {"all-zero record, precomputed", t8, std::vector<double>(8, 0.0), 1e-05, true, all, {}, true,
       {calm_record, no_grid}, 0},
      {"cutoff 0.9 drops both of two equal waves", t8, two_sines, 0.9, false, all, {}, true, {none_kept}, 0},
      {"cutoff 0.9, precomputed", t8, two_sines, 0.9, true, all, {}, true, {none_kept, no_grid}, 0},
      {"cutoff 0.4 keeps bins 1 to 3", t8, two_sines, 0.4, false, all, {}, true, {}, 3},
      {"negative cutoff keeps every bin", t8, two_sines, -1.0, false, all, {}, true, {}, 4},
      {"more than 13 transform factors (2 x 3^13)", t5, x5, 1e-05, false, 3188646, {}, false,
       {"*** ERROR *** det_airy cannot transform 3188646 samples: more than 13 prime factors"}, 0},
      {"absurd sample count", t5, x5, 1e-05, false, 2147483647, {}, false,
       {"*** ERROR *** det_airy record of 2147483647 samples and 2 columns needs too much memory"}, 0},
      {"absurd column", t5, x5, 1e-05, false, all, {0, 1, 2147483647, 2, false, false}, false,
       {"*** ERROR *** det_airy record of 5 samples and 2147483647 columns needs too much memory"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model_of(c.times, c.elevations, c.layout, c.cutoff);
    model_.field.precompute = c.precompute;
    if (c.samples != all) model_.sample_count = c.samples;
    const Outcome result = set_up();
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_EQ(model_.field.components.size(), c.components);
    ASSERT_EQ(result.messages.size(), c.messages.size()) << ::testing::PrintToString(result.messages);
    for (std::size_t i = 0; i < c.messages.size(); ++i)
      EXPECT_EQ(result.messages[i].rfind(c.messages[i], 0), 0u) << result.messages[i];
    if (c.ok && c.components == 0) {
      EXPECT_FALSE(model_.field.precompute);
      EXPECT_EQ(eta(3.3, 10.0), 0.0);
      EXPECT_EQ(kin(3.3, 10.0, 0.0, -2.0).vel[0], 0.0);
    }
  }
}

TEST(DetSeaDeathTest, RecordThatCannotBeReadStopsNamingFileAndLine) {
  struct Case {
    const char* name;
    std::string text;
    std::int32_t samples, skip;
    const char* message;  // regex after "*** ERROR *** "
  };
  const std::vector<Case> cases = {
      {"missing file", "", 3, 0, "Cannot open the det_airy elevation record file \".*absent.txt\""},
      {"too few records", "0 1\n1 2\n2, 3\n", 4, 0,
       "Error reading sample 4 from file .*record.txt line 3: the file ends before"},
      {"too few values in the last record", "h\n0 1\n1 2\n2\n", 3, 1,
       "Error reading sample 3 from file .*record.txt line 4: the file ends before"},
      {"a value that is not a number", "0 1\n1 2..5\n2 3\n", 3, 0,
       "Error reading sample 2 from file .*record.txt line 2: \"2..5\" is not a number"},
      {"header longer than the file", "0 1\n", 3, 5, "Error reading the header lines \\(nskip\\) from file .*record.txt line 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    DetModel m;
    m.file_name = std::string(c.name) == "missing file" ? folder.path("absent.txt")
                                                        : folder.write("record.txt", c.text);
    m.sample_count = c.samples;
    m.skip_lines = c.skip;
    m.field.precompute = false;
    EXPECT_EXIT(
        {
          route_console_to_stderr();
          LibraryState state;
          state.depth = 20.0;
          det_airy_init(m, state, 0.0, 10.0);
        },
        ::testing::ExitedWithCode(1), std::string("^\\*\\*\\* ERROR \\*\\*\\* ") + c.message);
  }
}

}  // namespace
}  // namespace pelm
