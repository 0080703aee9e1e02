// Loading and replay of external kinematics data, against data sets written
// by the tests and against linear wave theory.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "interface/library_state.h"
#include "interface/master_input.h"
#include "interface/model_dispatch.h"
#include "models/external/wavemods_model.h"
#include "runtime/console.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/working_directory.h"

namespace pelm {
namespace {

using Lines = std::vector<std::string>;
using Table = std::vector<std::vector<double>>;  // [record][level]
const std::string kReading = " pelm_dll:wavemods_init: reading datafile";
const std::string kDepthMessage =
    "*** ERROR *** min depth in datafile is not constant for all discrete times. t=";
const std::string kLocate = " *** ERROR *** locate is out of array bounds, paused";

std::string data_read(int nt) {
  return "  pelm_dll:wavemods_init: data read for " + std::to_string(nt) + " discrete times";
}

// A data set as the other program would write it.
struct DataSet {
  std::vector<double> sigma, time, eta;
  Table u, ax, w, az;
  int extra1 = 0;       // values after a_z in each record of file 1, read and ignored
  int wrap_every = 0;   // every n-th record is wrapped over two lines (0: none)
  std::string header = "header";
};

std::string line_of(const std::vector<double>& values, std::size_t from, std::size_t to) {
  std::string line;
  for (std::size_t i = from; i < to; ++i) {
    if (i > from) line += ' ';
    line += format_real(values[i]);
  }
  return line + "\n";
}

std::string file_text(const DataSet& d, bool first) {
  std::string text;
  for (int i = 0; i < 9; ++i) text += d.header + "\n";
  text += line_of(d.sigma, 0, d.sigma.size()) + d.header + "\n";
  for (std::size_t j = 0; j < d.time.size(); ++j) {
    std::vector<double> record{d.time[j]};
    if (first) record.push_back(d.eta[j]);
    const Table& a = first ? d.u : d.w;
    const Table& b = first ? d.ax : d.az;
    record.insert(record.end(), a[j].begin(), a[j].end());
    record.insert(record.end(), b[j].begin(), b[j].end());
    if (first)
      for (int e = 0; e < d.extra1; ++e) record.push_back(1e9 + e);
    const bool wrap = d.wrap_every > 0 && j % static_cast<std::size_t>(d.wrap_every) == 1;
    const std::size_t cut = wrap ? record.size() / 2 : record.size();
    text += line_of(record, 0, cut);
    if (wrap) text += line_of(record, cut, record.size());
  }
  return text;
}

// Writes the files and fills the block's fields for them.
WavemodsModel model_for(const TempFolder& folder, const DataSet& d, double depth, double t0 = 0.0) {
  WavemodsModel m;
  m.nd = static_cast<std::int32_t>(d.sigma.size());
  m.nt = static_cast<std::int32_t>(d.time.size());
  m.ncol1 = 2 + 2 * m.nd + d.extra1;
  m.ncol2 = 1 + 2 * m.nd;
  m.t0 = t0;
  m.z_bottom = -depth;
  m.file1 = folder.write("one.dat", file_text(d, true));
  m.file2 = folder.write("two.dat", file_text(d, false));
  return m;
}

std::vector<double> flat(const Table& t) {
  std::vector<double> out;
  for (const auto& row : t) out.insert(out.end(), row.begin(), row.end());
  return out;
}

// Quantities linear in time and in the level fraction, q = q0 + qt t + qs sigma:
// the replay is linear in both, so it must give q0 + qt tau + qs s exactly
// (to rounding) at every point, extrapolation along the end interval included.
struct Linear {
  double q0, qt, qs;
  double at(double t, double s) const { return q0 + qt * t + qs * s; }
};
const Linear kU{0.3, -0.2, 1.5}, kAx{-1.0, 0.7, 0.25}, kW{0.05, 0.1, -0.8}, kAz{2.0, -0.4, 3.0};
// eta = 0.5 - 0.5 t: 0.5, 0, -0.5 at t = 0, 1, 2 over a bed at -10.
constexpr double kDepth = 10.0;
double linear_eta(double t) { return 0.5 - 0.5 * t; }

DataSet linear_data(const std::vector<double>& sigma, const std::vector<double>& times) {
  DataSet d;
  d.sigma = sigma;
  d.time = times;
  for (double t : times) {
    d.eta.push_back(linear_eta(t));
    std::vector<double> u, ax, w, az;
    for (double s : sigma) {
      u.push_back(kU.at(t, s));
      ax.push_back(kAx.at(t, s));
      w.push_back(kW.at(t, s));
      az.push_back(kAz.at(t, s));
    }
    d.u.push_back(u);
    d.ax.push_back(ax);
    d.w.push_back(w);
    d.az.push_back(az);
  }
  return d;
}

struct Sample {
  double eta = 7.0;
  double vel[3] = {7, 7, 7};
  double acc[3] = {7, 7, 7};
  double pdyn = 7.0;
};

Sample sample(const WavemodsModel& m, double t, double z) {
  LibraryState state;
  state.time = t;
  Sample out;
  wavemods_elevation(m, state, out.eta);
  const double pos[3] = {12.0, -3.0, z};
  wavemods_kinematics(m, state, pos, out.vel, out.acc, out.pdyn);
  return out;
}

TEST(WavemodsInit, LoadsTheTablesAndChecksTheBottomLevel) {
  struct Case {
    const char* name;
    DataSet data;
    std::vector<double> level_z;
    Lines depth_messages;
  };
  DataSet wrapped = linear_data({0.0, 0.25, 1.0}, {0, 1, 2, 3});
  wrapped.extra1 = 3;
  wrapped.wrap_every = 2;
  wrapped.header = std::string(3000, 'h');  // longer than any line buffer
  const std::vector<Case> cases = {
      {"two levels on the bed and the surface", linear_data({0.0, 1.0}, {0, 1, 2}),
       {-10, 0.5, -10, 0, -10, -0.5}, {}},
      {"lowest level above the bed", linear_data({0.1, 1.0}, {0, 1, 2}),
       {10.5 * 0.1 - 10, 0.5, 10.0 * 0.1 - 10, 0, 9.5 * 0.1 - 10, -0.5},
       {kDepthMessage, "0", kDepthMessage, "1", kDepthMessage, "2"}},
      {"wrapped records, extra columns, long headers", wrapped,
       {-10, 10.5 * 0.25 - 10, 0.5, -10, 2.5 - 10, 0, -10, 9.5 * 0.25 - 10, -0.5, -10, 9.0 * 0.25 - 10, -1},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    WavemodsModel m = model_for(folder, c.data, kDepth);
    ConsoleCapture capture;
    ASSERT_TRUE(wavemods_init(m));
    Lines expected{kReading, data_read(m.nt)};
    expected.insert(expected.end(), c.depth_messages.begin(), c.depth_messages.end());
    EXPECT_EQ(capture.lines(), expected);
    EXPECT_EQ(m.level_z, c.level_z);
    EXPECT_EQ(m.time, c.data.time);
    EXPECT_EQ(m.eta, c.data.eta);
    EXPECT_EQ(m.u, flat(c.data.u));
    EXPECT_EQ(m.ax, flat(c.data.ax));
    EXPECT_EQ(m.w, flat(c.data.w));
    EXPECT_EQ(m.az, flat(c.data.az));
    EXPECT_EQ(m.t_last, c.data.time.back());
  }
}

TEST(WavemodsInit, RefusesDataItCannotReplay) {
  struct Case {
    const char* name;
    std::function<void(DataSet&)> change_data;
    std::function<void(WavemodsModel&)> change_model;
    const char* message;  // start of the error line
    bool tables_allocated;
  };
  const auto same = [](auto&) {};
  const std::vector<Case> cases = {
      {"one level", same, [](WavemodsModel& m) { m.nd = 1; }, "*** ERROR *** wavemods datafile_nd must be at least 2, not 1", false},
      {"one record", same, [](WavemodsModel& m) { m.nt = 1; }, "*** ERROR *** wavemods datafile_nt must be at least 2, not 1", false},
      {"file 1 columns short of the levels", same, [](WavemodsModel& m) { m.ncol1 = 7; },
       "*** ERROR *** wavemods datafile1_ncol 7 is too small for 3 levels, it must be at least 8", false},
      {"file 2 columns short of the levels", same, [](WavemodsModel& m) { m.ncol2 = 0; },
       "*** ERROR *** wavemods datafile2_ncol 0 is too small for 3 levels, it must be at least 7", false},
      {"column count that overflows 32 bits", same,
       [](WavemodsModel& m) { m.nd = 2000000000; m.ncol1 = 2147483647; },
       "*** ERROR *** wavemods datafile1_ncol 2147483647 is too small for 2000000000 levels", false},
      {"tables beyond a 32-bit host", same,
       [](WavemodsModel& m) { m.nd = 100000; m.nt = 100000; m.ncol1 = 200002; m.ncol2 = 200001; },
       "*** ERROR *** wavemods data tables too large, megabytes:", false},
      {"no depth", same, [](WavemodsModel& m) { m.z_bottom = 0.0; },
       "*** ERROR *** wavemods datafile_depth must be greater than 0, not", false},
      {"last time not after 0", [](DataSet& d) { d = linear_data({0, 0.5, 1}, {-2, -1, 0}); }, same,
       "*** ERROR *** wavemods last time in datafile1 must be greater than 0, not 0", true},
      {"times that do not rise", [](DataSet& d) { d = linear_data({0, 0.5, 1}, {0, 1, 1, 2}); }, same,
       "*** ERROR *** wavemods times in datafile1 must increase; record 3 has t= 1 after 1", true},
      {"level fractions out of order", [](DataSet& d) { d.sigma = {0, 0.6, 0.5}; }, same,
       "*** ERROR *** wavemods level fractions in datafile1 must be strictly monotone; level 3", true},
      {"surface on the bed", [](DataSet& d) { d.eta[1] = -kDepth; }, same,
       "*** ERROR *** wavemods surface at or below the bed in datafile1 at t= 1", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    DataSet d = linear_data({0, 0.5, 1}, {0, 1, 2});
    c.change_data(d);
    WavemodsModel m = model_for(folder, d, kDepth);
    c.change_model(m);
    ConsoleCapture capture;
    EXPECT_FALSE(wavemods_init(m));
    ASSERT_FALSE(capture.lines().empty());
    const std::string& last = capture.lines().back();
    EXPECT_EQ(last.rfind(c.message, 0), 0u) << last;
    EXPECT_NE(last.find(" - wave model not set up"), std::string::npos) << last;
    EXPECT_EQ(!m.u.empty(), c.tables_allocated);
  }
}

TEST(WavemodsInit, TimesOffTheEvenGridAreReportedButKept) {
  TempFolder folder;
  WavemodsModel m = model_for(folder, linear_data({0, 1}, {0, 1, 2.5, 3}), kDepth);
  ConsoleCapture capture;
  EXPECT_TRUE(wavemods_init(m));
  ASSERT_EQ(capture.lines().size(), 3u);
  EXPECT_EQ(capture.lines()[2],
            "*** ERROR *** wavemods times in datafile1 do not run from 0 in steps of 1 s; the look-up "
            "assumes they do. Record 3 has t= 2.5");
}

TEST(WavemodsInitDeathTest, FilesThatCannotGiveTheDataStopTheProcess) {
  struct Case {
    const char* name;
    std::function<void(const TempFolder&, WavemodsModel&)> spoil;
    const char* message;  // regex
  };
  const std::vector<Case> cases = {
      {"both files missing: file 1 is named",
       [](const TempFolder& f, WavemodsModel& m) { m.file1 = f.path("absent1.dat"); m.file2 = f.path("absent2.dat"); },
       "\\*\\*\\* ERROR \\*\\*\\* file note found:/.*/absent1.dat\n"},
      {"file 2 missing", [](const TempFolder& f, WavemodsModel& m) { m.file2 = f.path("absent2.dat"); },
       "file note found:/.*/absent2.dat\n"},
      {"file 1 short of records", [](const TempFolder&, WavemodsModel& m) { m.nt = 4; },
       "Error reading record 4 of datafile1 from file .*one.dat line 14: the file ends"},
      {"a value that is not a number",
       [](const TempFolder& f, WavemodsModel& m) {
         m.file2 = f.write("bad.dat", std::string(9, '\n') + "0 1\n\n0 1 2 3 4\n1 1 x 3 4\n");
       },
       "Error reading record 2 of datafile2 from file .*bad.dat line 13: \"x\" is not a number"},
      {"level fractions cut short",
       [](const TempFolder& f, WavemodsModel& m) { m.file1 = f.write("short.dat", std::string(9, '\n') + "0\n"); },
       "Error reading level fractions of datafile1 from file .*short.dat line 10: the file ends"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    WavemodsModel m = model_for(folder, linear_data({0, 1}, {0, 1, 2}), kDepth);
    c.spoil(folder, m);
    EXPECT_EXIT(
        {
          route_console_to_stderr();
          wavemods_init(m);
        },
        ::testing::ExitedWithCode(1), c.message);
  }
}

// Brute force: the number of levels at or below x (ascending column) or
// above it (descending), with the two end rules.
std::int32_t oracle_interval(const std::vector<double>& xx, double x) {
  if (x == xx.front()) return 1;
  const auto n = static_cast<std::int32_t>(xx.size());
  if (x == xx.back()) return n - 1;
  const bool ascending = xx.back() >= xx.front();
  return static_cast<std::int32_t>(
      std::count_if(xx.begin(), xx.end(), [&](double v) { return ascending ? v <= x : v > x; }));
}

TEST(LocateLevel, MatchesABruteForceCount) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> step(0.1, 3.0);
  for (std::int32_t n = 2; n <= 12; ++n) {
    for (bool ascending : {true, false}) {
      std::vector<double> xx{-4.0};
      while (xx.size() < static_cast<std::size_t>(n)) xx.push_back(xx.back() + (ascending ? 1 : -1) * step(random));
      std::vector<double> probes = xx;  // every level exactly
      const double lo = std::min(xx.front(), xx.back()), hi = std::max(xx.front(), xx.back());
      std::uniform_real_distribution<double> anywhere(lo - 2.0, hi + 2.0);
      for (int p = 0; p < 60; ++p) probes.push_back(anywhere(random));
      for (double x : probes)
        EXPECT_EQ(locate_level(xx.data(), n, x), oracle_interval(xx, x))
            << "n=" << n << (ascending ? " ascending" : " descending") << " x=" << x;
    }
  }
}

// On data linear in time and level fraction the replay is exact, so every
// point can be checked against the line itself: the bracket, the carried
// elevations, the level intervals and both interpolations.
TEST(WavemodsReplay, ReproducesDataLinearInTimeAndLevel) {
  struct Case {
    const char* name;
    double t, t0, s;  // host time, offset, fraction of the column of the point
    double tau;       // the data time that must be answered
  };
  const std::vector<Case> cases = {
      {"between records", 0.3, 0.0, 0.37, 0.3},
      {"on a record", 1.0, 0.0, 0.25, 1.0},
      {"halfway up the column, on a level", 1.7, 0.0, 0.5, 1.7},
      {"offset time", -0.45, 0.75, 0.8, 0.3},
      {"just after the first record", 1e-9, 0.0, 0.1, 1e-9},
      {"just before the last record", 2.0 - 1e-12, 0.0, 0.9, 2.0 - 1e-12},
      {"before the data: record 1 held", -3.0, 0.0, 0.6, 0.0},
      {"on the last record: held", 2.0, 0.0, 0.6, 2.0},
      {"after the data: last record held", 1.5, 10.0, 0.05, 2.0},
  };
  for (const auto& sigma : {std::vector<double>{0, 0.5, 1}, std::vector<double>{0, 0.1, 0.3, 0.35, 0.9, 1}}) {
    TempFolder folder;
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(sigma.size()) + " levels");
      WavemodsModel m = model_for(folder, linear_data(sigma, {0, 1, 2}), kDepth, c.t0);
      ConsoleCapture capture;
      ASSERT_TRUE(wavemods_init(m));
      capture.clear();
      const double eta = linear_eta(c.tau);
      const double z = (eta + kDepth) * c.s - kDepth;
      const Sample o = sample(m, c.t, z);
      const double tol = 1e-13;
      EXPECT_NEAR(o.eta, eta, tol);
      EXPECT_NEAR(o.vel[0], kU.at(c.tau, c.s), tol);
      EXPECT_NEAR(o.acc[0], kAx.at(c.tau, c.s), tol);
      EXPECT_NEAR(o.vel[2], kW.at(c.tau, c.s), tol);
      EXPECT_NEAR(o.acc[2], kAz.at(c.tau, c.s), tol);
      EXPECT_EQ(o.vel[1], 0.0);
      EXPECT_EQ(o.acc[1], 0.0);
      EXPECT_EQ(o.pdyn, 0.0);
      EXPECT_TRUE(capture.lines().empty());
    }
  }
}

TEST(WavemodsReplay, RecordTimesAnswerTheRecordItself) {
  TempFolder folder;
  const DataSet d = linear_data({0, 0.5, 1}, {0, 1, 2});
  WavemodsModel m = model_for(folder, d, kDepth);
  ConsoleCapture capture;
  ASSERT_TRUE(wavemods_init(m));
  for (std::size_t j = 0; j < 3; ++j) {
    const Sample o = sample(m, d.time[j], m.level_z[j * 3 + 1]);
    EXPECT_EQ(o.eta, d.eta[j]) << j;
    EXPECT_EQ(o.vel[0], d.u[j][1]) << j;
    EXPECT_EQ(o.acc[2], d.az[j][1]) << j;
  }
}

TEST(WavemodsReplay, ZerosAtAndBeyondTheSurfaceAndTheBed) {
  TempFolder folder;
  WavemodsModel m = model_for(folder, linear_data({0, 0.5, 1}, {0, 1, 2}), kDepth);
  ConsoleCapture capture;
  ASSERT_TRUE(wavemods_init(m));
  for (double t : {0.0, 0.6, 2.0, 5.0}) {
    const double eta = sample(m, t, -5.0).eta;
    for (double z : {eta, eta + 1e-9, 3.0, -kDepth, -kDepth - 1e-9, -50.0, std::nan("")}) {
      const Sample o = sample(m, t, z);
      SCOPED_TRACE("t=" + std::to_string(t) + " z=" + std::to_string(z));
      for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(o.vel[c], 0.0);
        EXPECT_EQ(o.acc[c], 0.0);
      }
      EXPECT_EQ(o.pdyn, 0.0);
    }
  }
}

// Levels that stop short of the surface: a point above the top level is out
// of the column of both records. The run must go on without an operator
// (standard input here is a pipe that never delivers), with one message per
// record and the top interval extended, which on linear data is still exact.
// Exit status 0 when both points behave: the one above the levels with its
// two messages and exact extrapolation, the one inside without a message.
int replay_out_of_range(WavemodsModel& m) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0 || dup2(pipe_ends[0], STDIN_FILENO) < 0) return 4;
  alarm(20);  // a read from the pipe would block: end the child instead
  ConsoleCapture capture;
  if (!wavemods_init(m)) return 5;
  capture.clear();
  const double tau = 0.4;
  const double s = 0.95;
  const Sample above = sample(m, tau, (linear_eta(tau) + kDepth) * s - kDepth);
  const bool exact = std::fabs(above.vel[0] - kU.at(tau, s)) < 1e-12 &&
                     std::fabs(above.acc[2] - kAz.at(tau, s)) < 1e-12;
  const Sample inside = sample(m, tau, (linear_eta(tau) + kDepth) * 0.7 - kDepth);
  const bool inside_ok = std::fabs(inside.vel[0] - kU.at(tau, 0.7)) < 1e-12;
  return exact && inside_ok && capture.lines() == Lines{kLocate, kLocate} ? 0 : 3;
}

TEST(WavemodsReplayDeathTest, PointAboveTheLevelsIsReportedAndExtrapolatedWithoutWaiting) {
  TempFolder folder;
  WavemodsModel m = model_for(folder, linear_data({0, 0.5, 0.9}, {0, 1, 2}), kDepth);
  EXPECT_EXIT(std::exit(replay_out_of_range(m)), ::testing::ExitedWithCode(0), "");
}

// Linear wave theory with Wheeler stretching, independent of the library: a
// level at fraction sigma of the column is at sigma h above the bed in the
// still-water column.
struct Airy {
  double g = 9.81, h = 30.0, a = 1.0, omega = 2.0 * std::numbers::pi / 10.0, k = 0.0;
  Airy() {
    double lo = 1e-9, hi = 10.0;  // bisection on omega^2 = g k tanh(k h)
    for (int i = 0; i < 200; ++i) {
      const double mid = 0.5 * (lo + hi);
      (g * mid * std::tanh(mid * h) < omega * omega ? lo : hi) = mid;
    }
    k = 0.5 * (lo + hi);
  }
  double eta(double t) const { return a * std::sin(omega * t); }
  // u, a_x, w, a_z at stretched height d above the bed.
  std::array<double, 4> at(double t, double d) const {
    const double ch = std::cosh(k * d) / std::sinh(k * h), sh = std::sinh(k * d) / std::sinh(k * h);
    const double s = std::sin(omega * t), c = std::cos(omega * t);
    return {omega * a * ch * s, omega * omega * a * ch * c, omega * a * sh * c, -omega * omega * a * sh * s};
  }
};

// Replay against the formulas at random points in the water. Linear
// interpolation errs by about (step)^2/8 of the second derivative: with
// 0.25 s records of a 10 s wave, (omega dt)^2/8 = 3e-3 of the amplitude, and
// with 3 m between levels (k dz)^2/8 = 2e-3; 1 % of each quantity's
// amplitude leaves room for the stretching of the point, while a wrong
// interval or record is off by tens of per cent.
using Sampler = std::function<Sample(double t, double z)>;

void expect_airy_replay(const Sampler& sample_at, double t0, const Airy& airy, double t_from, double t_to) {
  const double coth = 1.0 / std::tanh(airy.k * airy.h);
  const std::array<double, 4> amplitude = {airy.omega * airy.a * coth, airy.omega * airy.omega * airy.a * coth,
                                           airy.omega * airy.a, airy.omega * airy.omega * airy.a};
  std::mt19937 random(7);
  std::uniform_real_distribution<double> time(t_from, t_to), fraction(0.001, 0.999);
  for (int p = 0; p < 300; ++p) {
    const double t = time(random);
    const double tau = t + t0;
    const double s = fraction(random);
    const double z = (airy.eta(tau) + airy.h) * s - airy.h;
    const Sample o = sample_at(t, z);
    const std::array<double, 4> expected = airy.at(tau, s * airy.h);
    const std::array<double, 4> replayed = {o.vel[0], o.acc[0], o.vel[2], o.acc[2]};
    EXPECT_NEAR(o.eta, airy.eta(tau), 0.01 * airy.a) << "t=" << t;
    for (int q = 0; q < 4; ++q)
      EXPECT_NEAR(replayed[q], expected[q], 0.01 * amplitude[q]) << "quantity " << q << " t=" << t << " z=" << z;
  }
}

// The bundled example, read as a run from the repository root reads it and
// answered through the library's dispatch.
TEST(WavemodsReplay, BundledExampleMatchesLinearTheory) {
  ScopedWorkingDirectory root(std::string(PELM_TEST_DATA_DIR) + "/../..");
  LibraryState state;
  ConsoleCapture capture;
  read_input_file(state, "examples/wavemods_airy.inp");
  set_up_selected_model(state, 0.0, 60.0, 0.1);
  ASSERT_TRUE(state.model_ready) << ::testing::PrintToString(capture.lines());
  const auto through_dispatch = [&](double t, double z) {
    state.time = t;
    Sample out;
    const double pos[3] = {-40.0, 15.0, z};
    evaluate_elevation(state, pos, out.eta);
    evaluate_kinematics(state, pos, out.vel, out.acc, out.pdyn);
    return out;
  };
  expect_airy_replay(through_dispatch, 5.0, Airy(), 0.0, 60.0);
}

}  // namespace
}  // namespace pelm
