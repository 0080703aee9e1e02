#include "runtime/console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/fatal.h"
#include "tests/support/console_capture.h"

namespace pelm {
namespace {

TEST(MessageLine, TextsKeepTheirBlanksAndNumbersAreSetOff) {
  struct Case {
    MessageLine line;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {MessageLine().add("*** ERROR *** Error in command line ").add(12).add(" Masterfile name: ").add("a.inp"),
       "*** ERROR *** Error in command line 12 Masterfile name: a.inp"},
      {MessageLine().add("*** INFO *** End of file reached. Line number").add(7).add(" Masterfile name: "),
       "*** INFO *** End of file reached. Line number 7 Masterfile name: "},
      {MessageLine().add("More than ").add(25).add(" words"), "More than 25 words"},
      {MessageLine().add("x").add(5).add("y"), "x 5 y"},
      {MessageLine().add(0.1).add(-3.0).add(1e-07), "0.1 -3 1e-07"},
      {MessageLine().add("  lead").add("trail  "), "  leadtrail  "},
  };
  for (const auto& c : cases) EXPECT_EQ(c.line.text(), c.expected);
}

TEST(Console, SinkReceivesEveryLine) {
  ConsoleCapture capture;
  write_message("Line ", 3, " of ", std::string("file"));
  write_line("second");
  EXPECT_EQ(capture.lines(), (std::vector<std::string>{"Line 3 of file", "second"}));
}

TEST(FatalStopDeathTest, WritesItsLineAndExitsWithStatusOne) {
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        fatal_stop("Error opening file: nowhere.inp");
      },
      ::testing::ExitedWithCode(1), "Error opening file: nowhere.inp");
}

}  // namespace
}  // namespace pelm

namespace pelm {
namespace {

struct Stopped {
  std::string message;
};

// A handler that unwinds takes the place of the exit, after the message line;
// one that returns still ends the process.
TEST(FatalStop, InstalledHandlerUnwindsInsteadOfExiting) {
  ConsoleCapture capture;
  const FatalHandler previous =
      set_fatal_handler([](std::string_view message) { throw Stopped{std::string(message)}; });
  std::string caught;
  try {
    fatal_stop("*** ERROR *** stop here");
  } catch (const Stopped& stop) {
    caught = stop.message;
  }
  set_fatal_handler(previous);
  EXPECT_EQ(caught, "*** ERROR *** stop here");
  EXPECT_EQ(capture.lines(), std::vector<std::string>{"*** ERROR *** stop here"});
}

TEST(FatalStopDeathTest, HandlerThatReturnsStillEndsTheProcess) {
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        set_fatal_handler([](std::string_view) {});
        fatal_stop("returned");
      },
      ::testing::ExitedWithCode(1), "returned");
}

}  // namespace
}  // namespace pelm
