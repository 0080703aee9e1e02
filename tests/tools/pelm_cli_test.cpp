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

#include "tests/support/temp_folder.h"

namespace pelm {
namespace {

const std::string kPelm = PELM_DRIVER_PATH;
const std::string kData = PELM_TEST_DATA_DIR;

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

// Runs the driver in `folder` with the given argument string.
DriverRun pelm(const TempFolder& folder, const std::string& args) {
  const std::string command = "cd '" + folder.path("") + "' && '" + kPelm + "' " + args +
                              " > stdout.txt 2> stderr.txt";
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
