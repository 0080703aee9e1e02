#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "models/stream_function/strf_model.h"
#include "numerics/constants.h"
#include "tests/support/block_reader.h"
#include "tests/support/console_capture.h"
#include "tests/support/dispersion_oracle.h"

namespace pelm {
namespace {

using Lines = std::vector<std::string>;

const std::string kSuccess = "Reg. airy input commands read with succes";
const std::string kIncomplete =
    "*** ERROR *** Not all needed pelm_dll stream_func input commands present - error";
const std::string kHeader = "      d       T       H       U    order  iter  rms error  code      L";

BlockRead<StrfModel> read_strf(const std::string& body) {
  return read_block_body<StrfModel>(
      body, [](CommandFile*& current, StrfModel& model) { strf_input(current, model); });
}

struct InputCase {
  const char* name;
  std::string body;
  Lines messages;  // "@" stands for the file name
  double H, T, U;
  std::string next;  // first word read after the block
};

TEST(StrfInput, BlockCases) {
  const std::vector<InputCase> cases = {
      {"complete", "wave 2 10 0.5;\nend;\n", {kSuccess}, 2, 10, 0.5, "after"},
      {"only end", "end;\n", {kIncomplete}, 0, 0, 0, "after"},
      {"period not positive: kept, the line still counts",
       "wave 2 -1 0.3;\nend;\n",
       {"*** ERROR *** In strf. airy input, T less or equal to 0.d0", kSuccess},
       2, 0, 0.3, "after"},
      {"a later wave line overrides", "wave 2 10 0;\n;\nwave 3 8 -1d0;\nend;\n", {kSuccess}, 3, 8, -1,
       "after"},
      {"unknown command reported and skipped",
       "height 3;\nwave 1 5 0;\nend;\n",
       {"*** ERROR *** Error in command line 1 Masterfile name: @", kSuccess},
       1, 5, 0, "after"},
      {"unreadable wave line hands the rest back",
       "wave 2 10;\nend;\n",
       {"*** ERROR *** Not correct number of parameters in command line",
        "*** ERROR *** Error reading parameters in command line: wave 2",
        "*** ERROR *** Error in command line 1 Masterfile name: @"},
       0, 0, 0, "end"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto r = read_strf(c.body);
    Lines expected;
    for (std::string line : c.messages) {
      if (const auto at = line.find('@'); at != std::string::npos) line.replace(at, 1, r.file);
      expected.push_back(line);
    }
    EXPECT_EQ(r.messages, expected);
    EXPECT_EQ(r.model.H, c.H);
    EXPECT_EQ(r.model.T, c.T);
    EXPECT_EQ(r.model.U, c.U);
    EXPECT_EQ(r.model.order, 0.0);
    EXPECT_EQ(r.next, c.next);
  }
}

TEST(StrfInput, EndOfFileEndsTheBlock) {
  const auto r = read_block_file<StrfModel>(
      "wave 1 5 0.2;\n", [](CommandFile*& current, StrfModel& model) { strf_input(current, model); });
  const std::string eof = "*** INFO *** End of file reached. Line number 1 Masterfile name: " + r.file;
  EXPECT_EQ(r.messages, (Lines{eof, kSuccess}));
  EXPECT_EQ(r.model.T, 5.0);
}

// ---- Progress table ----

TEST(StrfTable, RowFormats) {
  struct Row {
    double d, T, h, U;
    int order, iterations;
    double rms;
    int code;
    double L;
    bool with_length;
    std::string text;
  };
  const std::vector<Row> rows = {
      {20, 10, 5, 0, 6, 5, 1.23e-7, 0, 123.456, true,
       "   20.000  10.000   5.000   0.000    6      5    0.123E-06     0   123.456"},
      // Failure row: ends after the code; rounding of the mantissa carries.
      {3, 20, 1.2, -0.5, 10, 3, 0.9996, 1, 0, false,
       "    3.000  20.000   1.200  -0.500   10      3    0.100E+01     1"},
      {0.5, 7.25, 0.0005, 1.5, 24, 50, 0.0, 2, 12345.6789, true,
       "    0.500   7.250   0.001   1.500   24     50    0.000E+00     2 12345.679"},
      // Too wide for the field: stars; three-digit exponent without the E.
      {123456.0, 1, 1, 1, 6, 1, 2.5e-120, 0, 1e9, true,
       " ********   1.000   1.000   1.000    6      1    0.250-119     0**********"},
      {1, 1, 1, 1, 6, 0, std::nan(""), 1, 0, false,
       "    1.000   1.000   1.000   1.000    6      0          NaN     1"},
      {1, 1, 1, 1, 6, 2, -4.5e-3, 1, 0, false,
       "    1.000   1.000   1.000   1.000    6      2   -0.450E-02     1"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(strf_table_row(r.d, r.T, r.h, r.U, r.order, r.iterations, r.rms, r.code, r.L,
                             r.with_length),
              r.text);
}

// ---- Breaking limit ----

// Independent oracle: the tabulated limit interpolated linearly in the
// logarithms, in double precision.
double tabulated_limit(double b) {
  const double DL[] = {2.0,  0.578,  0.44,   0.356,  0.293,  0.243,   0.201,   0.166,   0.1359,
                       0.11, 0.0876, 0.0686, 0.0524, 0.039,  0.0277,  0.01879, 0.01168, 0.00638};
  const double HB[] = {0.1682, 0.1665, 0.1613, 0.1531, 0.1423, 0.1298, 0.1159, 0.1017, 0.0873,
                       0.0735, 0.0605, 0.0487, 0.038,  0.0289, 0.0208, 0.0144, 0.00911, 0.00501};
  for (int i = 1; i < 18; ++i)
    if (b >= DL[i]) {
      const double s = std::log(b / DL[i]) / std::log(DL[i - 1] / DL[i]);
      return HB[i] * std::pow(HB[i - 1] / HB[i], s);
    }
  return -1.0;
}

TEST(StrfBreaking, LimitingSteepness) {
  // The table's ends.
  EXPECT_FLOAT_EQ(breaking_steepness(2.0f), 0.1682f);
  EXPECT_EQ(breaking_steepness(std::nextafter(2.0f, 3.0f)), 0.1682f);
  EXPECT_EQ(breaking_steepness(50.0f), 0.1682f);
  EXPECT_FLOAT_EQ(breaking_steepness(0.00638f), 0.00501f);
  const float below = std::nextafter(0.00638f, 0.0f);
  EXPECT_EQ(breaking_steepness(below), 0.8f * below);
  EXPECT_EQ(breaking_steepness(0.001f), 0.8f * 0.001f);
  // Across the rows: single precision against the double oracle.
  for (float b = 0.0064f; b < 2.0f; b *= 1.07f)
    EXPECT_NEAR(breaking_steepness(b), tabulated_limit(b), 2e-6 * tabulated_limit(b)) << b;
}

TEST(StrfBreaking, RatioLineAndLimit) {
  ConsoleCapture capture;
  // Deep water, T = 10 s: L0 = 156.13 m, limit 0.1682 L0 = 26.26 m.
  const float r = breaking_ratio(13.13f, 400.f, 10.f, true);
  EXPECT_NEAR(r, 13.13 / (0.1682 * 9.81 * 100 / (2 * kPi)), 1e-6);
  EXPECT_EQ(capture.lines(), Lines{" H/Hb              = 0.500"});
  capture.clear();
  breaking_ratio(13.13f, 400.f, 10.f, false);
  EXPECT_TRUE(capture.lines().empty());
}

TEST(StrfBreakingDeathTest, BeyondBreakingPrintsTheRatioAndStops) {
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        breaking_ratio(30.f, 400.f, 10.f, false);
      },
      ::testing::ExitedWithCode(1), "^ H/Hb              = 1\\.142\n\\*\\*\\* ERROR \\*\\*\\* strf wave is higher than the breaking height - process stopped\n$");
}

// ---- Order estimate ----

TEST(StrfOrder, EstimateCases) {
  struct Case {
    float q, r;
    int order;
  };
  const Case cases[] = {{1.f, 0.5f, 8}, {1.f, 0.9f, 12}, {0.1f, 0.5f, 8}, {0.05f, 0.8f, 14},
                        {0.02f, 0.9f, 18}, {0.005f, 1.f, 28}};
  const float T = 10.f;
  const float L0 = 9.81f * (T * T) / 6.2831855f;
  for (const auto& c : cases)
    EXPECT_EQ(strf_order_estimate(c.q * L0, T, c.r), c.order) << "q=" << c.q << " r=" << c.r;
}

// ---- Linear first guess ----


TEST(StrfWavecel, LinearSpeedWithAndWithoutCurrent) {
  for (double d : {1.0, 10.0, 50.0, 500.0}) {
    for (double T : {4.0, 10.0, 20.0}) {
      SCOPED_TRACE("d=" + std::to_string(d) + " T=" + std::to_string(T));
      // Without a current: the explicit approximation, within its 0.1 %.
      const WavecelResult still = WAVECEL(T, d, 0.0);
      EXPECT_EQ(still.Tr, T);
      const double k = bisected_wave_number(2 * kPi / T, d, 9.81);
      EXPECT_NEAR(still.c, 2 * kPi / T / k, 1e-3 * still.c);
      // With one: the relation in the frame of the current, to the
      // iteration's tolerance.
      for (double U : {-1.0, 0.5, 2.0}) {
        const WavecelResult r = WAVECEL(T, d, U);
        const double L = r.c * r.Tr;
        const double kr = bisected_wave_number(2 * kPi / r.Tr, d, 9.81);
        EXPECT_NEAR(2 * kPi / L, kr, 1e-5 * kr) << "U=" << U;
        EXPECT_NEAR(1.0 / r.Tr, 1.0 / T - U / L, 1e-12) << "U=" << U;
      }
    }
  }
}

TEST(StrfWavecelDeathTest, BlockedWaveStops) {
  // A current against the wave faster than its group velocity blocks it.
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        WAVECEL(6.0, 50.0, -20.0);
      },
      ::testing::ExitedWithCode(1), "^ WAVECEL error\n\\*\\*\\* ERROR \\*\\*\\* strf: the wave length on the current does not converge[^\n]*\n$");
}

// ---- The set-up driver ----

struct TableRow {
  std::string settings;  // d, T, h, U and the order
  int code;
};

std::vector<TableRow> table_rows(const Lines& lines) {
  std::vector<TableRow> rows;
  for (const auto& line : lines)
    if (line.size() >= 64 && line.find("E") != std::string::npos && line[0] == ' ' &&
        line.find("H/Hb") == std::string::npos)
      rows.push_back({line.substr(0, 38), std::stoi(line.substr(59, 5))});
  return rows;
}

std::string settings(float d, float T, float h, float U, int order) {
  return strf_table_row(d, T, h, U, order, 0, 0, 0, 0, false).substr(0, 38);
}

TEST(StrfSetup, RaisesTheOrderThenTheHeight) {
  struct Case {
    const char* name;
    float d, T, H, U;
    std::size_t height_steps;  // rows after the order steps, at the final order
  };
  // Below half the breaking height no height steps; above, steps of 1.1,
  // 1.1 x 0.995, ... from Hb/2, the last one landing on H.
  const std::vector<Case> cases = {
      {"low, order steps only", 10.f, 12.f, 3.6f, 0.f, 0},
      {"just above half the limit: one step", 20.f, 8.f, 6.f, 0.f, 1},
      {"steep: several steps", 20.f, 9.f, 7.5f, 0.f, 3},
      {"with a current", 20.f, 9.f, 5.f, 1.f, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ConsoleCapture capture;
    const StrfSetupResult result = strf_setup(c.d, c.T, c.H, c.U, true);
    const Lines& lines = capture.lines();
    ASSERT_GE(lines.size(), 4u);
    const float r = std::stof(lines[0].substr(21));
    EXPECT_EQ(lines[0].substr(0, 21), " H/Hb              = ");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], kHeader);

    // Independent replay of the stepping in single precision.
    const float ratio = breaking_ratio(c.H, c.d, static_cast<float>(WAVECEL(c.T, c.d, c.U).Tr), false);
    EXPECT_NEAR(ratio, r, 5e-4);
    const int n_max = std::max(6, strf_order_estimate(c.d, c.T, ratio));
    std::vector<std::string> expected;
    const float Hb = c.H / ratio;
    float h = std::fmin(c.H, Hb / 2.0f);
    for (int n = 6; n <= n_max; n += 2) expected.push_back(settings(c.d, c.T, h, c.U, n));
    if (c.H > Hb / 2.0f) {
      for (float f = 1.1f;; f *= 0.995f) {
        h = f * h <= c.H ? f * h : c.H;
        expected.push_back(settings(c.d, c.T, h, c.U, n_max));
        if (h == c.H) break;
      }
    }
    const auto rows = table_rows(lines);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].settings, expected[i]) << "row " << i;
      EXPECT_EQ(rows[i].code, 0) << "row " << i;
    }
    EXPECT_EQ(rows.size() - (n_max - 4) / 2, c.height_steps);
    EXPECT_EQ(lines.size(), 3 + rows.size());
    EXPECT_EQ(result.order, n_max);
    const StrfSolution& s = strf_solution();
    EXPECT_EQ(s.h, c.H);
    EXPECT_EQ(result.wave_length, static_cast<float>(6.2831854820251465 / s.k));
    EXPECT_EQ(lines.back().substr(64), strf_table_row(0, 0, 0, 0, 0, 0, 0, 0, result.wave_length,
                                                      true).substr(64));
  }
}

TEST(StrfSetup, WithoutPrintingOnlyTheRatioLine) {
  ConsoleCapture capture;
  strf_setup(20.f, 8.f, 6.f, 0.f, false);
  ASSERT_EQ(capture.lines().size(), 1u);
  EXPECT_EQ(capture.lines()[0].substr(0, 21), " H/Hb              = ");
}

TEST(StrfInit, RefusesWhatCannotBeSolved) {
  struct Case {
    const char* name;
    double depth, H, T;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"no period", 20, 2, 0,
       "*** ERROR *** In strf, no valid wave period T > 0 was given - wave model not set up"},
      {"no height", 20, 0, 8,
       "*** ERROR *** In strf, the wave height must be greater than 0 - wave model not set up. H = 0"},
      {"negative height", 20, -1, 8,
       "*** ERROR *** In strf, the wave height must be greater than 0 - wave model not set up. H = -1"},
      {"depth zero in single precision", 1e-50, 1, 8,
       "*** ERROR *** Water depth must be greater than 0 for strf - wave model not set up. wdepth = "
       "1e-50"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StrfModel model;
    model.H = c.H;
    model.T = c.T;
    ConsoleCapture capture;
    EXPECT_FALSE(strf_init(model, c.depth));
    EXPECT_EQ(capture.lines(), Lines{c.message});
    EXPECT_EQ(model.order, 0.0);
  }
  StrfModel model;
  model.H = 2;
  model.T = 8;
  model.U = 0.25;
  ConsoleCapture capture;
  ASSERT_TRUE(strf_init(model, 20.3));
  const StrfSolution& s = strf_solution();
  EXPECT_EQ(s.d, static_cast<double>(20.3f));
  EXPECT_EQ(s.U, 0.25);
  EXPECT_EQ(model.order, 6.0);
  EXPECT_EQ(model.wave_length, static_cast<double>(static_cast<float>(6.2831854820251465 / s.k)));
}

TEST(StrfSetupDeathTest, OrderAboveTheCapacityIsCappedAt24) {
  // d/L0 = 0.0008: the estimate asks for 32 points. The wave is far too
  // shallow for the method and the solver gives up, after the notice.
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        strf_setup(0.5f, 20.f, 0.05f, 0.f, true);
      },
      ::testing::ExitedWithCode(1),
      "\\*\\*\\* INFO \\*\\*\\* Stream function order estimate 32 exceeds the 25-point capacity - "
      "order 24 is used\n");
}

TEST(StrfSetupDeathTest, SurfaceRisingTowardTheTroughIsNotAWave) {
  StrfSolution s;
  s.h = 1.0;
  const double falling[] = {0.0, 0.5, 0.3, 0.0005, 0.0, -0.2, -0.5};
  for (int i = 1; i <= 6; ++i) s.Y[i] = falling[i];
  s.Y[4] = s.Y[3] + 0.0005;  // a rise of 0.05 % of H: a flat trough's truncation
  strf_require_wave_profile(s, 6);
  s.Y[5] = s.Y[4] + 0.01;
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        strf_require_wave_profile(s, 6);
      },
      ::testing::ExitedWithCode(1),
      "^\\*\\*\\* ERROR \\*\\*\\* Stream function solution at order 6 rises between crest and "
      "trough \\(point 5\\) - not a wave profile; the wave is too shallow for the method\n$");
}

TEST(StrfSetupDeathTest, SolverFailurePrintsTheFailureRowAndStops) {
  // A shallow wave (d/L0 = 0.005) that the order steps do not carry.
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        strf_setup(3.f, 20.f, 1.2f, 0.f, true);
      },
      ::testing::ExitedWithCode(1),
      "\n    3\\.000  20\\.000   1\\.200   0\\.000   10 +[0-9]+ +0\\.[0-9]{3}E[-+][0-9]{2}     1\n\\*\\*\\* ERROR \\*\\*\\* Stream function solver failed at order 10, code 1 - process stopped\n$");
}

}  // namespace
}  // namespace pelm
