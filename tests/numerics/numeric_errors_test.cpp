#include "runtime/numeric_errors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/console_capture.h"

namespace pelm {
namespace {

TEST(NumericErrors, LineNamesTypeAndInnermostRoutineAndFillsEveryPlaceholder) {
  RoutineName outer("OUTER");
  const struct {
    NumericErrorType type;
    const char* message;
    std::int32_t i1, i2;
    const char* l1;
    std::string expected;
  } cases[] = {
      {NumericErrorType::note, "Nothing to fill.", 0, 0, "",
       "*** NOTE ERROR from OUTER.  Nothing to fill."},
      {NumericErrorType::alert, "N = %(I1).", -7, 0, "", "*** ALERT ERROR from OUTER.  N = -7."},
      {NumericErrorType::warning, "%(I2) < %(I1)", 12, 3, "",
       "*** WARNING ERROR from OUTER.  3 < 12"},
      {NumericErrorType::fatal, "%(L1) = %(I1).  %(L1) must be at least %(I2).", 0, 1, "NR",
       "*** FATAL ERROR from OUTER.  NR = 0.  NR must be at least 1."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(numeric_error_line(c.type, c.message, c.i1, c.i2, c.l1), c.expected);

  {
    RoutineName inner("INNER");
    EXPECT_EQ(numeric_error_line(NumericErrorType::terminal, "x"),
              "*** TERMINAL ERROR from INNER.  x");
  }
  EXPECT_EQ(numeric_error_line(NumericErrorType::terminal, "x"),
            "*** TERMINAL ERROR from OUTER.  x");
}

TEST(NumericErrors, ReportWritesOneLineAndReturns) {
  ConsoleCapture capture;
  RoutineName name("fac");
  report_numeric_error(NumericErrorType::terminal, "N = %(I1).", -1);
  EXPECT_EQ(capture.lines(), std::vector<std::string>{"*** TERMINAL ERROR from fac.  N = -1."});
}

TEST(NumericErrorsDeathTest, StopWritesExactlyOneLine) {
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        RoutineName name("DFFTRF");
        stop_with_numeric_error(NumericErrorType::terminal, "N = %(I1).", 0);
      },
      ::testing::ExitedWithCode(1), ::testing::Eq("*** TERMINAL ERROR from DFFTRF.  N = 0.\n"));
}

}  // namespace
}  // namespace pelm
