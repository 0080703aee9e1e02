#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "interface/library_state.h"
#include "models/irregular/irregular_model.h"
#include "models/irregular/spectra.h"
#include "numerics/constants.h"
#include "numerics/random.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/working_directory.h"

namespace pelm {
namespace {

IregModel jonswap_sea(std::int32_t n, std::int32_t seed) {
  IregModel m;
  m.spectrum = 1;
  m.jonswap = std::array<double, 3>{4.0, 10.0, 3.3};
  m.component_count = n;
  m.seed = seed;
  m.precompute = false;
  return m;
}

// Sets the model up in a scratch folder; returns what init wrote.
struct SetUpResult {
  bool ok = false;
  std::vector<std::string> messages;
  std::vector<std::string> diagnostic;  // lines of the diagnostic record
};

SetUpResult set_up(IregModel& m, LibraryState& state, double t_start = 0.0, double t_end = 200.0,
             double dt = 0.1) {
  TempFolder folder;
  ScopedWorkingDirectory here(folder.path(""));
  ConsoleCapture capture;
  SetUpResult result;
  if (state.depth == 0.0) state.depth = 50.0;
  result.ok = ireg_airy_init(m, state, t_start, t_end, dt);
  result.messages = capture.lines();
  std::ifstream record("fort.98");
  for (std::string line; std::getline(record, line);) result.diagnostic.push_back(line);
  return result;
}

double origin_elevation(const IregModel& m, double t) {
  double eta = 0.0;
  for (const auto& c : m.components) eta += c.amplitude * std::sin(c.omega * t + c.phase);
  return eta;
}

TEST(ComponentSynthesis, SameSeedSameBitsOtherSeedOtherSea) {
  LibraryState s1, s2, s3;
  IregModel a = jonswap_sea(50, 11), b = jonswap_sea(50, 11), c = jonswap_sea(50, 12);
  ASSERT_TRUE(set_up(a, s1).ok);
  ASSERT_TRUE(set_up(b, s2).ok);
  ASSERT_TRUE(set_up(c, s3).ok);
  ASSERT_EQ(a.components.size(), 50u);
  for (std::size_t i = 0; i < 50; ++i) {
    EXPECT_EQ(a.components[i].amplitude, b.components[i].amplitude);
    EXPECT_EQ(a.components[i].phase, b.components[i].phase);
    EXPECT_EQ(a.components[i].omega, b.components[i].omega);
    EXPECT_EQ(a.components[i].k, b.components[i].k);
  }
  EXPECT_NE(a.components[0].phase, c.components[0].phase);
}

TEST(ComponentSynthesis, PhasesComeFromTheSeededStreamInComponentOrder) {
  LibraryState state;
  IregModel m = jonswap_sea(20, 3);
  ASSERT_TRUE(set_up(m, state).ok);
  RNSEED(3);
  std::vector<double> u(21);
  DRNUN(21, u.data());
  for (std::size_t i = 0; i < 20; ++i) {
    EXPECT_EQ(m.components[i].phase, u[i] * 2.0 * kPi - kPi);
    EXPECT_GT(m.components[i].phase, -kPi);
    EXPECT_LT(m.components[i].phase, kPi);
  }
}

TEST(ComponentSynthesis, SpreadingKeepsThePhasesAndFlagTwoDrawsButDoesNotSpread) {
  LibraryState s0, s1, s2;
  IregModel off = jonswap_sea(40, 5), on = jonswap_sea(40, 5), odd = jonswap_sea(40, 5);
  on.spreading = 1;
  on.spreading_exponent = 2;
  odd.spreading = 2;
  ASSERT_TRUE(set_up(off, s0).ok);
  ASSERT_TRUE(set_up(on, s1).ok);
  ASSERT_TRUE(set_up(odd, s2).ok);
  // After flag 2 the stream has moved on by 2N deviates.
  double next = 0.0;
  DRNUN(1, &next);
  RNSEED(5);
  std::vector<double> u(81);
  DRNUN(81, u.data());
  EXPECT_EQ(next, u[80]);
  bool any_spread = false;
  for (std::size_t i = 0; i < 40; ++i) {
    EXPECT_EQ(off.components[i].phase, on.components[i].phase);
    EXPECT_EQ(off.components[i].direction, 0.0);
    EXPECT_EQ(odd.components[i].direction, 0.0);
    any_spread = any_spread || on.components[i].direction != 0.0;
    EXPECT_LE(std::fabs(on.components[i].direction), kPi / 2.0 + 1e-9);
  }
  EXPECT_TRUE(any_spread);
}

// The directions follow the cos^(2s) distribution: compare the empirical
// distribution of many components with the exact one,
// F(theta) = integral of C_s cos^(2s) from -pi/2.
TEST(ComponentSynthesis, DirectionsFollowTheSpreadingDistribution) {
  for (std::int32_t s : {1, 4, 17}) {
    SCOPED_TRACE("s=" + std::to_string(s));
    LibraryState state;
    IregModel m = jonswap_sea(4000, 9);
    m.spreading = 1;
    m.spreading_exponent = s;
    ASSERT_TRUE(set_up(m, state, 0.0, 20.0, 0.5).ok);
    std::vector<double> theta;
    for (const auto& c : m.components) theta.push_back(c.direction);
    std::sort(theta.begin(), theta.end());
    // Exact CDF by fine quadrature.
    auto cdf = [s](double x) {
      const int n = 20000;
      const double a = -kPi / 2.0, h = (x - a) / n;
      double sum = 0.0, norm = 0.0;
      for (int i = 0; i <= n; ++i) sum += (i == 0 || i == n ? 0.5 : 1.0) * std::pow(std::cos(a + i * h), 2 * s);
      for (int i = 0; i <= n; ++i)
        norm += (i == 0 || i == n ? 0.5 : 1.0) * std::pow(std::cos(a + i * kPi / n), 2 * s);
      return sum * h / (norm * kPi / n);
    };
    double worst = 0.0;
    for (std::size_t i = 0; i < theta.size(); i += 97)
      worst = std::max(worst, std::fabs(cdf(theta[i]) - (i + 0.5) / theta.size()));
    // Kolmogorov-Smirnov bound for 4000 samples at a 1e-4 level.
    EXPECT_LT(worst, 0.035);
  }
}

TEST(ComponentSynthesis, BandEdgesAreTheFirstSearchNodesAcrossTheThreshold) {
  LibraryState state;
  IregModel m = jonswap_sea(30, 1);
  ASSERT_TRUE(set_up(m, state).ok);
  const double step = static_cast<double>(0.02f);
  double w = -1e-06, low = -1.0, high = -1.0;
  while (high <= 0.0) {
    w += step;
    const double s = jonswap_density(4.0, 10.0, 3.3, w);
    if (s > 0.001 && low <= 0.0) low = w;
    else if (s < 0.001 && w > 2.0 * kPi / 10.0) high = w;
  }
  EXPECT_EQ(m.components.front().omega, low);
  EXPECT_NEAR(m.components.back().omega, high, 1e-12);
  EXPECT_EQ(m.omega_low, low);
  EXPECT_EQ(m.delta_omega, (high - low) / 29.0);
  // Each node of the search is a sum of steps, not a product.
  EXPECT_GT(jonswap_density(4.0, 10.0, 3.3, low), 0.001);
  EXPECT_LE(jonswap_density(4.0, 10.0, 3.3, low - step), 0.001);
}

TEST(ComponentSynthesis, VarianceAtTheOriginIsTheSpectralVariance) {
  struct Case {
    const char* name;
    std::int32_t spectrum;
    double expected_m0;  // of the whole spectrum; the band holds nearly all of it
    double tolerance;
  };
  const std::vector<Case> cases = {{"Pierson-Moskowitz", 2, 3.0 * 3.0 / 16.0, 0.02},
                                   {"JONSWAP", 1, 4.0 * 4.0 / 16.0, 0.05},
                                   {"white noise", 3, 0.7, 1e-9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LibraryState state;
    IregModel m = jonswap_sea(100, 21);
    m.spectrum = c.spectrum;
    m.pm = std::array<double, 2>{3.0, 8.0};
    m.wn = std::array<double, 2>{0.7, 0.3};
    const double t0 = 5.0, t1 = 305.0, dt = 0.25;
    ASSERT_TRUE(set_up(m, state, t0, t1, dt).ok);
    const auto n_t = static_cast<int>(std::lround((t1 - t0) / dt));
    double sum = 0.0;
    for (int k = 0; k < n_t; ++k) sum += std::pow(origin_elevation(m, t0 + k * dt), 2);
    const double variance = sum / (n_t - 1);
    EXPECT_NEAR(variance / c.expected_m0, 1.0, c.tolerance);
  }
}

TEST(ComponentSynthesis, WhiteNoiseLivesOnTheFrequenciesOfTheWindow) {
  LibraryState state;
  IregModel m = jonswap_sea(64, 4);
  m.spectrum = 3;
  m.wn = std::array<double, 2>{1.0, 0.25};
  m.spreading = 1;
  ASSERT_TRUE(set_up(m, state, 0.0, 100.0, 0.5).ok);
  ASSERT_FALSE(m.components.empty());
  EXPECT_EQ(m.component_count, static_cast<std::int32_t>(m.components.size()));
  for (const auto& c : m.components) {
    const double j = c.omega * 100.0 / (2.0 * kPi);
    EXPECT_NEAR(j, std::round(j), 1e-9);
    EXPECT_GE(j, 0.5);
    EXPECT_LE(j, 100.0);  // floor(n_t / 2) bins
    EXPECT_EQ(c.direction, 0.0);
  }
  // The record's energy lies in the band 0 .. 0.25 Hz; what the transform
  // leaks beyond it is small.
  double inside = 0.0, outside = 0.0;
  for (const auto& c : m.components)
    (c.omega <= 2.0 * kPi * 0.3 ? inside : outside) += c.amplitude * c.amplitude;
  EXPECT_LT(outside, 0.01 * inside);
}

TEST(ComponentSynthesis, RefusesSeasItCannotBuild) {
  struct Case {
    const char* name;
    void (*change)(IregModel&);
    double t_end;
    const char* message_part;
  };
  const std::vector<Case> cases = {
      {"spectrum 4", [](IregModel& m) { m.spectrum = 4; }, 100.0, "spectrum must be 1"},
      {"spectrum 0", [](IregModel& m) { m.spectrum = 0; }, 100.0, "spectrum must be 1"},
      {"JONSWAP without parameters", [](IregModel& m) { m.jonswap.reset(); }, 100.0, "needs the jonswap command"},
      {"PM without parameters", [](IregModel& m) { m.spectrum = 2; }, 100.0, "needs the pm command"},
      {"white noise without parameters", [](IregModel& m) { m.spectrum = 3; }, 100.0, "needs the wn command"},
      {"zero peak period", [](IregModel& m) { m.jonswap = std::array<double, 3>{4, 0, 3.3}; }, 100.0, "Tp > 0"},
      {"one component", [](IregModel& m) { m.component_count = 1; }, 100.0, "at least 2 wave components"},
      {"no components", [](IregModel& m) { m.component_count = 0; }, 100.0, "at least 2 wave components"},
      {"spreading exponent 0", [](IregModel& m) { m.spreading = 1; m.spreading_exponent = 0; }, 100.0, "from 1 to 17"},
      {"spreading exponent 18", [](IregModel& m) { m.spreading = 1; m.spreading_exponent = 18; }, 100.0, "from 1 to 17"},
      {"window of one step", [](IregModel&) {}, 0.1, "at least 2 time steps"},
      {"grid with one level", [](IregModel& m) { m.precompute = true; m.grid = std::make_unique<PregenGrid>(); m.grid->nz = 1; }, 100.0, "z_resolution must be at least 2"},
      {"grid without stations", [](IregModel& m) { m.precompute = true; m.grid = std::make_unique<PregenGrid>(); m.grid->ny = -1; }, 100.0, "y_resolution must be at least 1"},
      {"negative grid step", [](IregModel& m) { m.precompute = true; m.grid = std::make_unique<PregenGrid>(); m.grid->dt_grid = -0.1; }, 100.0, "t_resolution must not be negative"},
      {"negative x range", [](IregModel& m) { m.precompute = true; m.grid = std::make_unique<PregenGrid>(); m.grid->x_range = -5; }, 100.0, "x_range must not be negative"},
      {"peak period near zero", [](IregModel& m) { m.jonswap = std::array<double, 3>{4, 1e-300, 3.3}; }, 100.0, "no frequency band"},
      {"height beyond any sea", [](IregModel& m) { m.spectrum = 2; m.pm = std::array<double, 2>{1e300, 8}; }, 100.0, "no frequency band"},
      {"overflowing peak enhancement", [](IregModel& m) { m.jonswap = std::array<double, 3>{4, 10, 1e300}; }, 100.0, "no finite wave amplitudes"},
      // Sizes are checked before anything is allocated or summed.
      {"components beyond memory", [](IregModel& m) { m.component_count = 2000000000; }, 100.0, "needs too much memory"},
      {"window beyond memory", [](IregModel&) {}, 1e8, "needs too much memory"},
      {"hours of work", [](IregModel& m) { m.component_count = 200000; }, 1e5, "would take too long"},
      {"grid build of hours", [](IregModel& m) { m.component_count = 1000; m.precompute = true; m.grid = std::make_unique<PregenGrid>(); m.grid->dt_grid = 0.002; }, 2000.0, "would take too long to build"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LibraryState state;
    IregModel m = jonswap_sea(10, 1);
    c.change(m);
    const SetUpResult r = set_up(m, state, 0.0, c.t_end, 0.1);
    EXPECT_FALSE(r.ok);
    ASSERT_FALSE(r.messages.empty());
    const std::string& last = r.messages.back();
    EXPECT_EQ(last.rfind("*** ERROR *** ", 0), 0u) << last;
    EXPECT_NE(last.find(c.message_part), std::string::npos) << last;
    EXPECT_NE(last.find("wave model not set up"), std::string::npos) << last;
  }
}

TEST(ComponentSynthesis, DiagnosticRecordEveryPointTwoSecondsOfTheWindow) {
  struct Case {
    double t_start, t_end;
    std::size_t count;
  };
  // count = floor((t_end - t_start + 0.2) / 0.2), away from exact multiples of 0.2
  for (const Case& c : {Case{0.0, 10.1, 51}, Case{100.0, 100.15, 1}, Case{3.0, 4.1, 6}}) {
    LibraryState state;
    IregModel m = jonswap_sea(10, 2);
    const SetUpResult r = set_up(m, state, c.t_start, c.t_end, 0.05);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.diagnostic.size(), c.count);
    double t = c.t_start;
    for (const std::string& line : r.diagnostic) {
      const auto blank = line.find(' ');
      ASSERT_NE(blank, std::string::npos);
      EXPECT_EQ(std::stod(line.substr(0, blank)), t);
      EXPECT_NEAR(std::stod(line.substr(blank + 1)), origin_elevation(m, t), 1e-12);
      t += 0.2;
    }
    // The clock is left at the last time of the record.
    EXPECT_EQ(state.time, t - 0.2);
  }
}

}  // namespace
}  // namespace pelm
