#include "input/parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/console_capture.h"

namespace pelm {
namespace {

CommandLine make_command(const std::vector<std::string>& words) {
  CommandLine command;
  for (const auto& w : words) command.words[static_cast<std::size_t>(command.word_count++)] = w;
  return command;
}

TEST(ParseReal, FreeFormatNumbers) {
  struct Case {
    const char* word;
    bool ok;
    double value;
  };
  const std::vector<Case> cases = {
      {"30", true, 30.0},        {"-2.5", true, -2.5},     {"+4", true, 4.0},
      {"1.", true, 1.0},         {".5", true, 0.5},        {"1.5d3", true, 1500.0},
      {"1.5e3", true, 1500.0},   {"2d-1", true, 0.2},      {"7e+2", true, 700.0},
      {"0.1", true, 0.1},        {"abc", false, 0},        {"", false, 0},
      {"1.5x", false, 0},        {"1e", false, 0},         {"d3", false, 0},
      {".", false, 0},           {"-", false, 0},          {"2*3.0", false, 0},
      {"1,", false, 0},          {"1/", false, 0},         {"nan", false, 0},
      {"inf", false, 0},         {"1e999", false, 0},      {"0x10", false, 0},
      {"1.2.3", false, 0},       {"--1", false, 0},
  };
  for (const auto& c : cases) {
    double value = -99.0;
    EXPECT_EQ(parse_real(c.word, value), c.ok) << c.word;
    EXPECT_EQ(value, c.ok ? c.value : -99.0) << c.word;
  }
}

TEST(ParseReal, DAndEExponentsGiveTheSameBits) {
  for (const char* mantissa : {"9.81", "1.23456789012345", "-0.07", "6.283185307179586"}) {
    double with_d = 0.0, with_e = 1.0;
    ASSERT_TRUE(parse_real(std::string(mantissa) + "d-3", with_d));
    ASSERT_TRUE(parse_real(std::string(mantissa) + "e-3", with_e));
    EXPECT_EQ(with_d, with_e) << mantissa;
  }
}

// At the edges of the double range: below the smallest subnormal a value
// reads as zero with its sign; beyond the largest double it is refused.
TEST(ReadRealParams, EdgesOfTheDoubleRange) {
  struct Case {
    const char* word;
    bool ok;
    double value;
  };
  const double max = std::numeric_limits<double>::max();
  const double min_subnormal = std::numeric_limits<double>::denorm_min();
  const std::vector<Case> cases = {
      {"1e-400", true, 0.0},
      {"-1d-400", true, -0.0},
      {"0.000001e-320", true, 0.0},
      {"123456789e-340", true, 0.0},
      {"123456789e-330", true, 1.23456789e-322},
      {"1e-320", true, 1e-320},
      {"4.9e-324", true, min_subnormal},
      {"4.9d-324", true, min_subnormal},
      {"1.7976931348623157e308", true, max},
      {"-1.7976931348623157d308", true, -max},
      {"1e309", false, 0},
      {"-1d309", false, 0},
      {"0.00001e314", false, 0},
      {"1e99999999999999999999", false, 0},
      {"1e-99999999999999999999", true, 0.0},
      {"0e999", true, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    ConsoleCapture capture;
    double value = -99.0;
    EXPECT_EQ(read_real_params(make_command({"wave", c.word}), 2, 1, &value), c.ok);
    if (c.ok) {
      EXPECT_EQ(value, c.value);
      EXPECT_EQ(std::signbit(value), std::signbit(c.value));
      EXPECT_TRUE(capture.lines().empty());
    } else {
      EXPECT_EQ(value, -99.0);
      EXPECT_EQ(capture.lines(), (std::vector<std::string>{
                                     std::string("*** ERROR *** Error reading parameters in command line: wave ") +
                                     c.word}));
    }
  }
}

TEST(ReadRealParams, ConvertsTheParameterWordsAndIgnoresSurplusWords) {
  ConsoleCapture capture;
  double values[2] = {0.0, 0.0};
  EXPECT_TRUE(read_real_params(make_command({"wdepth", "30"}), 2, 1, values));
  EXPECT_EQ(values[0], 30.0);
  EXPECT_TRUE(read_real_params(make_command({"wdepth", "31", "40"}), 2, 1, values));
  EXPECT_EQ(values[0], 31.0);
  EXPECT_EQ(values[1], 0.0);
  EXPECT_TRUE(capture.lines().empty());
}

TEST(ReadRealParams, TooFewWords) {
  ConsoleCapture capture;
  double value = 5.0;
  EXPECT_FALSE(read_real_params(make_command({"wdepth"}), 2, 1, &value));
  EXPECT_EQ(value, 5.0);
  EXPECT_EQ(capture.lines(),
            (std::vector<std::string>{
                "*** ERROR *** Not correct number of parameters in command line",
                "*** ERROR *** Error reading parameters in command line: wdepth "}));
}

TEST(ReadRealParams, BadWordKeepsTheValuesBeforeIt) {
  ConsoleCapture capture;
  double values[2] = {-1.0, -1.0};
  EXPECT_FALSE(read_real_params(make_command({"wave", "2", "abc"}), 2, 2, values));
  EXPECT_EQ(values[0], 2.0);
  EXPECT_EQ(values[1], -1.0);
  EXPECT_EQ(capture.lines(),
            (std::vector<std::string>{"*** ERROR *** Error reading parameters in command line: wave 2"}));
}

TEST(IntegerParameters, RoundingAndTruncation) {
  struct Case {
    double value;
    std::int32_t rounded;
    std::int32_t truncated;
  };
  const std::vector<Case> cases = {
      {2.5, 3, 2},   {-2.5, -3, -2}, {0.5, 1, 0},    {-0.5, -1, 0},  {200.6, 201, 200},
      {20.9, 21, 20}, {7.0, 7, 7},   {-1.5, -2, -1}, {0.49, 0, 0},
      {1e12, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max()},
      {-1e12, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(round_to_int32(c.value), c.rounded) << c.value;
    EXPECT_EQ(truncate_to_int32(c.value), c.truncated) << c.value;
  }
}

TEST(CommonErrorLine, NamesTheLineAndTheFile) {
  ConsoleCapture capture;
  CommandFile file;
  file.name = "input/master.inp";
  file.line_number = 12;
  write_command_error(file);
  EXPECT_EQ(capture.lines(), (std::vector<std::string>{
                                 "*** ERROR *** Error in command line 12 Masterfile name: input/master.inp"}));
}

}  // namespace
}  // namespace pelm
