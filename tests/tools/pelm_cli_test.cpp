// The pelm driver run as a user runs it: exit status, streams and CSV.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/dispersion_oracle.h"
#include "tests/support/temp_folder.h"

namespace pelm {
namespace {

const std::string kPelm = PELM_DRIVER_PATH;
const std::string kData = PELM_TEST_DATA_DIR;
const std::string kSource = PELM_SOURCE_DIR;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

struct DriverRun {
  int status = -1;
  std::string out, err;
};

// Runs the driver in `folder` (or in `working`, when given) with the given
// argument string; its streams are kept in `folder`.
DriverRun pelm(const TempFolder& folder, const std::string& args, const std::string& working = "") {
  const std::string command = "cd '" + (working.empty() ? folder.path("") : working) + "' && '" +
                              kPelm + "' " + args + " > '" + folder.path("stdout.txt") + "' 2> '" +
                              folder.path("stderr.txt") + "'";
  const int raw = std::system(command.c_str());
  DriverRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = slurp(folder.path("stdout.txt"));
  run.err = slurp(folder.path("stderr.txt"));
  return run;
}

std::vector<std::vector<double>> csv_rows(const std::string& path, std::string& header) {
  std::vector<std::vector<double>> rows;
  const auto lines = lines_of(slurp(path));
  if (lines.empty()) return rows;
  header = lines[0];
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::vector<double> row;
    std::stringstream fields(lines[i]);
    for (std::string field; std::getline(fields, field, ',');) row.push_back(std::stod(field));
    rows.push_back(row);
  }
  return rows;
}

TEST(PelmCli, UsageErrorsGetOneLineAndExitStatusTwo) {
  const std::vector<std::string> cases = {
      "",
      "frobnicate",
      "run --bogus",
      "run --dt abc",
      "run --dt",
      "run --t-end 1e",
      "run --point 1,2",
      "run --point 1,2,3,4",
      "run --point a,b,c",
      "run --dt 0",
      "run --dt -1",
      "run --t-start 10 --t-end 5",
      "run no_such_file.inp",
      "run a.inp b.inp",
      "check",
      "check --bogus x.inp",
      "check no_such_file.inp",
      "check --point 0,0,0 x.inp",
      "check --out=y.csv x.inp",
      "check x.inp --dt 0",
  };
  TempFolder folder;
  for (const auto& args : cases) {
    SCOPED_TRACE(args);
    const DriverRun r = pelm(folder, args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(r.err.empty());
    if (!args.empty()) {
      EXPECT_EQ(lines_of(r.err).size(), 1u) << r.err;
    }
  }
}

TEST(PelmCli, HelpShowsTheOptionsAndDefaults) {
  TempFolder folder;
  const DriverRun r = pelm(folder, "run --help");
  EXPECT_EQ(r.status, 0);
  for (const char* text : {"--t-start", "--t-end", "--dt", "--point", "--out", "default 60",
                           "default 0,0,0 and 0,0,-10"})
    EXPECT_NE(r.out.find(text), std::string::npos) << text;
}

TEST(PelmCli, RegularWaveCsvFollowsTheWindowAndThePoints) {
  TempFolder folder;
  const DriverRun r = pelm(folder, "run '" + kData + "/regular_h30_t10.inp' --t-start 1 --t-end 3.5 "
                             "--dt 0.5 --point 0,0,-1 --point=10,-2,-5 --out waves.csv");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(lines_of(r.out),
            (std::vector<std::string>{"In pelm_dll init, inputfile: " + kData + "/regular_h30_t10.inp",
                                      "Reg. airy input commands read with succes",
                                      "Pelm dll input commands read with succes"}));
  std::string header;
  const auto rows = csv_rows(folder.path("waves.csv"), header);
  EXPECT_EQ(header, "t,x,y,z,eta,u,v,w,ax,ay,az,pdyn");
  ASSERT_EQ(rows.size(), 12u);  // 6 times x 2 points, point order kept
  const double omega = 2.0 * 3.141592653589793 / 10.0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& row = rows[i];
    ASSERT_EQ(row.size(), 12u);
    EXPECT_EQ(row[0], 1.0 + 0.5 * static_cast<double>(i / 2));
    EXPECT_EQ(row[1], i % 2 == 0 ? 0.0 : 10.0);
    EXPECT_EQ(row[2], i % 2 == 0 ? 0.0 : -2.0);
    EXPECT_EQ(row[3], i % 2 == 0 ? -1.0 : -5.0);
    if (i % 2 == 0) {
      EXPECT_NEAR(row[4], std::sin(omega * row[0]), 1e-12);
    }
    EXPECT_EQ(row[6], 0.0);
    EXPECT_EQ(row[9], 0.0);
  }
}

TEST(PelmCli, NumbersAreWrittenWithoutLosingDigits) {
  TempFolder folder;
  const DriverRun r = pelm(folder, "run '" + kData + "/regular_h30_t10.inp' --t-end 0.3 --dt 0.1");
  ASSERT_EQ(r.status, 0);
  const auto lines = lines_of(slurp(folder.path("pelm_output.csv")));
  ASSERT_EQ(lines.size(), 9u);
  // t = 0.1 * 3 is not 0.3 in binary: the row keeps all its digits.
  EXPECT_EQ(lines[7].substr(0, lines[7].find(',')), "0.30000000000000004");
}

TEST(PelmCli, WithoutInputRunsTheBundledExampleFromAnyFolder) {
  TempFolder folder;
  const DriverRun r = pelm(folder, "run --t-end 2");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Pelm dll input commands read with succes"), std::string::npos);
  EXPECT_EQ(r.out.find("ERROR"), std::string::npos) << r.out;
  std::string header;
  const auto rows = csv_rows(folder.path("pelm_output.csv"), header);
  EXPECT_EQ(rows.size(), 21u * 2u);
}

// The grid of the irregular example follows a window that starts late: the
// sea keeps moving to its end instead of freezing at the last grid node.
TEST(PelmCli, IrregularSeaMovesThroughALateWindow) {
  TempFolder folder;
  const DriverRun r = pelm(folder, "run --t-start 1000 --t-end 1100 --dt 0.5 --point 0,0,-3");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("In Pelm_dll, calculating wave field - done"), std::string::npos);
  std::string header;
  const auto rows = csv_rows(folder.path("pelm_output.csv"), header);
  ASSERT_EQ(rows.size(), 201u);
  int changes = 0;
  for (std::size_t i = 180; i < rows.size(); ++i) changes += rows[i][4] != rows[i - 1][4];
  EXPECT_EQ(changes, static_cast<int>(rows.size()) - 180);
  // The diagnostic record covers the window every 0.2 s.
  const auto record = lines_of(slurp(folder.path("fort.98")));
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record.front().substr(0, 5), "1000 ");
}

// A measured record whose first time is 100 s plays from host time 0: at
// t = n T / N the elevation is sample n less the mean, and after T it repeats.
// A record file that cannot be read stops the run naming it.
TEST(PelmCli, DeterministicSeaReplaysItsRecordFromTimeZero) {
  const std::vector<double> x = {0.31, -0.12, 0.54, -0.4, 0.07};  // at 100, 100.25, ... 101 s
  const double mean = (0.31 - 0.12 + 0.54 - 0.4 + 0.07) / 5.0;
  const std::string block =
      "begin pelm_input;\nwavetype 2;\nwdepth 20;\nbegin det_airy;\nfile record.txt;\nnsamples 5;\n"
      "nskip 1;\ncutoff_frac 0;\nend;\nend;\nexit;\n";
  TempFolder folder;
  folder.write("det.inp", block);
  folder.write("record.txt", "t eta\n100 0.31\n100.25,-0.12\n100.5\n0.54\n100.75 -0.4 9\n101 0.07\n");
  const DriverRun r = pelm(folder, "run det.inp --t-end 2 --dt 0.2 --point 0,0,0");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Pelm dll input commands read with succes"), std::string::npos) << r.out;
  std::string header;
  const auto rows = csv_rows(folder.path("pelm_output.csv"), header);
  ASSERT_EQ(rows.size(), 11u);
  for (std::size_t k = 0; k < rows.size(); ++k)
    EXPECT_NEAR(rows[k][4], x[k % 5] - mean, 1e-12) << "t = " << rows[k][0];

  TempFolder missing;
  missing.write("det.inp", block);
  const DriverRun stopped = pelm(missing, "run det.inp --t-end 2");
  EXPECT_EQ(stopped.status, 1);
  EXPECT_NE(stopped.out.find("*** ERROR *** Cannot open the det_airy elevation record file \"record.txt\""),
            std::string::npos)
      << stopped.out;
}

TEST(PelmCli, FatalInputErrorStopsWithTheLibrarysMessage) {
  TempFolder folder;
  folder.write("bad.inp", "begin pelm_input;\ncontinue_in_file gone.inp;\n");
  const DriverRun r = pelm(folder, "run bad.inp");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Error opening file: gone.inp"), std::string::npos) << r.out;
}

// Files in the folder other than the run's own captures.
std::vector<std::string> files_in(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path("")))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::erase_if(names, [](const std::string& n) { return n == "stdout.txt" || n == "stderr.txt"; });
  return names;
}

// The output name holds a complete result or nothing: a fatal stop inside
// init or a run interrupted half-way leaves the previous file as it was and
// no partial file beside it.
TEST(PelmCli, OutputFileExistsOnlyWhenComplete) {
  struct Case {
    const char* name;
    const char* previous;  // content of the output before the run; nullptr: none
    bool interrupt;
  };
  const std::vector<Case> cases = {
      {"fatal stop, no earlier output", nullptr, false},
      {"fatal stop, earlier output kept", "earlier result\n", false},
      {"interrupted, no earlier output", nullptr, true},
      {"interrupted, earlier output kept", "earlier result\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    folder.write("bad.inp", "begin pelm_input;\ncontinue_in_file gone.inp;\n");
    if (c.previous != nullptr) folder.write("out.csv", c.previous);
    if (c.interrupt) {
      // A run of many hours of steps, stopped by SIGTERM once it writes rows.
      const std::string script =
          "cd '" + folder.path("") + "' && { '" + kPelm + "' run '" + kData +
          "/regular_h30_t10.inp' --t-end 1e6 --dt 0.001 --out out.csv > stdout.txt 2> stderr.txt & "
          "pid=$!; for i in $(seq 400); do [ -n \"$(ls -A .out.csv.partial-* 2>/dev/null)\" ] && "
          "[ -s \"$(ls .out.csv.partial-* | head -1)\" ] && break; sleep 0.05; done; "
          "kill -TERM $pid; wait $pid; }";
      const int raw = std::system(script.c_str());
      // 128 + SIGTERM: the run was stopped, it did not finish.
      EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 128 + 15);
    } else {
      const DriverRun r = pelm(folder, "run bad.inp --out out.csv");
      EXPECT_EQ(r.status, 1);
    }
    std::vector<std::string> expected = {"bad.inp"};
    if (c.previous != nullptr) expected.push_back("out.csv");
    EXPECT_EQ(files_in(folder), expected);
    if (c.previous != nullptr) {
      EXPECT_EQ(slurp(folder.path("out.csv")), c.previous);
    }
  }
}

TEST(PelmCli, FinishedRunReplacesTheEarlierOutput) {
  TempFolder folder;
  folder.write("pelm_output.csv", "earlier result\n");
  const DriverRun r = pelm(folder, "run '" + kData + "/regular_h30_t10.inp' --t-end 1");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(files_in(folder), std::vector<std::string>{"pelm_output.csv"});
  EXPECT_EQ(lines_of(slurp(folder.path("pelm_output.csv"))).size(), 1u + 11u * 2u);
}

// Inputs that the fuzzers found hostile: each ends in a sea free of NaN and
// infinity or in a stop with its error line.
TEST(PelmCli, FuzzRegressionInputsGiveFiniteSeasOrCleanStops) {
  const std::string points =
      " --point 0,0,0 --point 0,0,-5 --point 25,-3,-1e-3 --point 1,2,0.5 --point 0,0,-1e4"
      " --point 1e7,-1e7,-20 --point 0,0,1e6 --point 0,0,-1e300";
  std::size_t inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kData + "/fuzz_regressions")) {
    SCOPED_TRACE(entry.path().filename().string());
    ++inputs;
    TempFolder folder;
    // Run from a copy, so that a file the input includes by name is its own.
    const std::string name = entry.path().filename().string();
    std::filesystem::copy_file(entry.path(), folder.path(name));
    const DriverRun r = pelm(folder, "run " + name + " --t-end 10 --dt 0.5" + points);
    if (r.status == 1) {
      // A stop says why: an "*** ERROR ***" line, or the reader's "Error opening file".
      EXPECT_TRUE(r.out.find("*** ERROR ***") != std::string::npos ||
                  r.out.find("Error opening file") != std::string::npos)
          << r.out;
      continue;
    }
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    std::string header;
    const auto rows = csv_rows(folder.path("pelm_output.csv"), header);
    EXPECT_EQ(rows.size(), 21u * 8u);
    for (const auto& row : rows)
      for (double value : row) ASSERT_TRUE(std::isfinite(value)) << "t = " << row[0] << ", z = " << row[3];
  }
  EXPECT_GT(inputs, 0u);
}

TEST(PelmCli, UnwritableOutputIsAnError) {
  TempFolder folder;
  const DriverRun r = pelm(folder, "run '" + kData + "/regular_h30_t10.inp' --out no/such/dir/x.csv");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace pelm

namespace pelm {
namespace {

// A number of "pelm check --json" by its key; NaN when absent or null.
double json_value(const std::string& json, const std::string& key) {
  const std::string tag = "\"" + key + "\": ";
  const std::size_t at = json.find(tag);
  if (at == std::string::npos) return NAN;
  const char* start = json.c_str() + at + tag.size();
  char* end = nullptr;
  const double value = std::strtod(start, &end);
  return end == start ? NAN : value;
}

// Wave length (m) of a linear wave of period T in depth h: the oracle of the
// check's steepness.
double linear_wave_length(double T, double h) {
  const double omega = 2.0 * 3.141592653589793 / T;
  return 2.0 * 3.141592653589793 / bisected_wave_number(omega, h, static_cast<double>(9.81f));
}

// Each bundled example, checked from the repository root as the README shows:
// the sea sets up, the summary names its model, and its key numbers agree
// with the input.
TEST(PelmCheck, SummarisesEachBundledExample) {
  struct Case {
    const char* example;
    const char* window;
    const char* model_line;
    std::vector<std::string> lines;  // further texts of the summary
    std::vector<std::pair<const char*, std::pair<double, double>>> numbers;  // key: value, relative tolerance
  };
  const double L = linear_wave_length(10.0, 30.0);
  const std::vector<Case> cases = {
      // The set-up scales the sea to the spectrum's variance over the window;
      // the band cut at the spectrum's tails keeps it within a few per cent of Hs.
      {"irregular_jonswap.inp", "--t-end 300", "model        ireg_airy (wavetype 1), depth 50 m",
       {"spectrum     jonswap hs 4 tp 10 gamma 3.3", "components   200, ", "grid         Nt ",
        "kernels      ",
        "warnings     none"},
       {{"realised_hs", {4.0, 0.03}}, {"realised_tp", {10.0, 0.03}}, {"target_tp", {10.0, 1e-15}},
        {"components", {200.0, 0.0}}}},
      {"regular_wave.inp", "", "model        reg_airy (wavetype 0), depth 30 m",
       {"wave         H 2 m, T 10 s, L 137.3 m", "warnings     none"},
       {{"steepness", {2.0 / L, 1e-9}}, {"ursell", {2.0 * L * L / (30.0 * 30.0 * 30.0), 1e-9}}}},
      {"stream_function_wave.inp", "", "model        strf (wavetype 3), depth 40 m",
       {"U 0.5 m/s, order ", "warnings     none"},
       {{"height", {10.0, 0.0}}, {"period", {12.0, 0.0}}}},
      // A 15-minute record replayed over its own length: the window sees the
      // variance of the kept components.
      {"det_airy.inp", "--t-end 900", "model        det_airy (wavetype 2), depth 30 m",
       {"spectrum     record 1801 samples over 900 s", "grid         none", "warnings     none"},
       {{"record_length", {900.0, 1e-12}}}},
      {"wavemods_airy.inp", "--t-end 60", "model        wavemods (wavetype 4), depth 30 m",
       {"data         281 records x 11 levels, 0 .. 70 s, t0 5 s", "warnings     none"},
       {{"t0", {5.0, 0.0}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.example);
    TempFolder folder;
    const std::string args = std::string("examples/") + c.example + " " + c.window;
    const DriverRun r = pelm(folder, "check " + args, kSource);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_LE(lines_of(r.out).size(), 25u) << r.out;
    EXPECT_NE(r.out.find(c.model_line), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("library      set up, "), std::string::npos) << r.out;
    for (const auto& text : c.lines) EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;

    const DriverRun j = pelm(folder, "check --json " + args, kSource);
    ASSERT_EQ(j.status, 0) << j.out << j.err;
    for (const auto& [key, expected] : c.numbers) {
      const double value = json_value(j.out, key);
      EXPECT_NEAR(value, expected.first, expected.second * std::fabs(expected.first)) << key;
    }
    if (std::string(c.example) == "irregular_jonswap.inp") {
      // The path the processor check chose, by name, in both forms.
      const std::size_t at = r.out.find("kernels      ");
      const std::string path = at == std::string::npos ? "" : r.out.substr(at + 13, r.out.find(' ', at + 13) - at - 13);
      EXPECT_TRUE(path == "sse2" || path == "avx2" || path == "avx512") << r.out;
      EXPECT_NE(j.out.find("\"kernels\": \"" + path + "\""), std::string::npos) << j.out;
    }
    if (std::string(c.example) == "det_airy.inp") {
      EXPECT_NEAR(json_value(j.out, "realised_hs"), json_value(j.out, "target_hs"),
                  0.05 * json_value(j.out, "target_hs"));
    }
    if (std::string(c.example) == "stream_function_wave.inp") {
      // The steepness and Ursell number follow from the solved length.
      const double length = json_value(j.out, "wave_length");
      EXPECT_NEAR(json_value(j.out, "steepness"), 10.0 / length, 1e-12);
      EXPECT_NEAR(json_value(j.out, "ursell"), 10.0 * length * length / 64000.0, 1e-9);
      EXPECT_GT(length, 0.0);
      EXPECT_LT(json_value(j.out, "breaking_ratio"), 1.0);
    }
  }
}

// A check leaves the folder as it found it, though the irregular set-up
// writes its diagnostic record there: a record of an earlier run is kept.
TEST(PelmCheck, LeavesTheFolderAsItWas) {
  for (const bool earlier : {false, true}) {
    SCOPED_TRACE(earlier ? "earlier record" : "no earlier record");
    TempFolder folder;
    if (earlier) folder.write("fort.98", "0 1\n");
    const DriverRun r = pelm(folder, "check '" + kSource + "/examples/irregular_jonswap.inp' --t-end 30");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(files_in(folder), earlier ? std::vector<std::string>{"fort.98"} : std::vector<std::string>{});
    if (earlier) {
      EXPECT_EQ(slurp(folder.path("fort.98")), "0 1\n");
    }
  }
}

// Doubtful seas get their warning line; a sea the library refuses or stops
// on gives exit status 1 with its error line.
TEST(PelmCheck, WarnsOfDoubtfulSeas) {
  const std::string regular = "begin pelm_input;\nwavetype 0;\nwdepth 10;\nbegin reg_airy;\nstretching 1;\n"
                              "wave 9 8;\nend;\nend;\nexit;\n";
  const std::string steep_strf = "begin pelm_input;\nwavetype 3;\nwdepth 10;\nbegin strf;\nwave 9 8 0;\n"
                                 "end;\nend;\nexit;\n";
  const std::string no_block = "begin pelm_input;\nwavetype 0;\nwdepth 10;\nend;\nexit;\n";
  struct Case {
    const char* name;
    std::string input;  // file written as sea.inp; empty: an example from the repository root
    std::string args;
    int status;
    std::vector<std::string> texts;
  };
  const std::vector<Case> cases = {
      {"window shorter than the lowest period", "", "examples/irregular_jonswap.inp --t-end 10", 0,
       {"warning: the window (10 s) is shorter than the period of the lowest component (16.53 s)"}},
      // 200 components over 0.38 .. 3.5 rad/s: spaced 0.01568 rad/s, 400.8 s.
      {"wave groups repeat within the window", "", "examples/irregular_jonswap.inp --t-end 600", 0,
       {"warning: the components are spaced 0.01568 rad/s: the wave groups repeat every 400.8 s"}},
      {"record shorter than the window", "", "examples/det_airy.inp --t-end 1200 --dt 1", 0,
       {"warning: the record (900 s) is shorter than the window (1200 s): the sea repeats"}},
      {"data shorter than the window", "", "examples/wavemods_airy.inp --t-end 100", 0,
       {"warning: the data (0 .. 70 s) do not cover the window shifted by t0 (5 .. 105 s)"}},
      // H/Hb from the breaking table: H/L0 = 9 / 99.92 at d/L0 = 0.1001.
      {"linear wave beyond breaking", regular, "sea.inp", 0,
       {"H/Hb 1.329", "warning: the wave is beyond breaking: H/Hb = 1.329"}},
      {"stream-function wave beyond breaking", steep_strf, "sea.inp", 1,
       {"library      stopped", "*** ERROR *** strf wave is higher than the breaking height",
        "warning: the wave is beyond breaking: H/Hb = 1.329"}},
      {"model block missing", no_block, "sea.inp", 1,
       {"library      refused", "*** ERROR *** Wavetype 0 selects reg_airy but the input has no reg_airy block"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    if (!c.input.empty()) folder.write("sea.inp", c.input);
    const DriverRun r = pelm(folder, "check " + c.args, c.input.empty() ? kSource : "");
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    for (const auto& text : c.texts) EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
    EXPECT_EQ(r.out.find("warnings     none"), std::string::npos) << r.out;
  }
}

// The figures of an irregular and a stream-function sea: PNG files of some
// substance, named after the input.
TEST(PelmPlot, WritesTheFiguresOfASea) {
  struct Case {
    const char* example;
    std::vector<std::string> figures;
  };
  const std::vector<Case> cases = {
      {"irregular_jonswap", {"elevation", "spectrum", "kinematics"}},
      {"stream_function_wave", {"elevation", "kinematics", "profile"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.example);
    TempFolder folder;
    const DriverRun r = pelm(folder, "plot '" + kSource + "/examples/" + c.example +
                                         ".inp' --t-end 120 --point 0,0,0 --point=-20,0,0 --out-dir figures");
    if (r.status == 2 && r.err.find("needs python3") != std::string::npos)
      GTEST_SKIP() << r.err;
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    std::vector<std::string> expected;
    for (const auto& figure : c.figures) expected.push_back(std::string(c.example) + "_" + figure + ".png");
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path("figures")))
      written.push_back(entry.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, expected);
    for (const auto& name : written) {
      const std::string png = slurp(folder.path("figures/" + name));
      EXPECT_GT(png.size(), 20000u) << name;
      EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << name;
    }
  }
}

}  // namespace
}  // namespace pelm
