#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/command_file.h"
#include "models/external/wavemods_model.h"
#include "tests/support/block_reader.h"

namespace pelm {
namespace {

using Lines = std::vector<std::string>;
using Read = BlockRead<WavemodsModel>;
const std::string kOk = "wavemods input commands read with succes";
const std::string kIncomplete =
    "*** ERROR *** Not all needed pelm_dll wavemods input commands present - error";

std::string echo(int file, const std::string& name) {
  return " pelm_dll:wavemods_input:datafile" + std::to_string(file) + name + ":";
}

Read read_block(const std::string& text, bool with_after = true) {
  const auto reader = [](CommandFile*& current, WavemodsModel& model) { wavemods_input(current, model); };
  return with_after ? read_block_body<WavemodsModel>(text, reader)
                    : read_block_file<WavemodsModel>(text, reader);
}

TEST(WavemodsInput, CommandsAndTheirRounding) {
  struct Case {
    const char* body;
    std::int32_t nd, nt, ncol1, ncol2;
  };
  const std::vector<Case> cases = {
      {"datafile_nd 4.5;\ndatafile_nt 2.5;\ndatafile1_ncol 12.7;\ndatafile2_ncol 4.9;\n", 5, 3, 12, 4},
      {"datafile_nd -2.5;\ndatafile_nt 2.49;\ndatafile1_ncol -12.7;\ndatafile2_ncol 0.99;\n", -3, 2, -12, 0},
      {"datafile_nd 1d1;\ndatafile_nt 7;\ndatafile1_ncol 24;\ndatafile2_ncol 23.0;\n", 10, 7, 24, 23},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    const Read r = read_block("datafile1 one.dat;\ndatafile2 two.dat;\n" + std::string(c.body) +
                              "datafile_t0 1.5;\ndatafile_depth 30;\nend;\n");
    EXPECT_EQ(r.model.nd, c.nd);
    EXPECT_EQ(r.model.nt, c.nt);
    EXPECT_EQ(r.model.ncol1, c.ncol1);
    EXPECT_EQ(r.model.ncol2, c.ncol2);
    EXPECT_EQ(r.model.t0, 1.5);
    EXPECT_EQ(r.model.z_bottom, -30.0);
    EXPECT_EQ(r.messages, (Lines{kOk, echo(1, "one.dat"), echo(2, "two.dat")}));
    EXPECT_EQ(r.next, "after");
  }
}

// A faulty parameter costs only its own command: no error line of the block,
// no early return, the field keeps its value.
TEST(WavemodsInput, CompletenessAndFaultyLines) {
  struct Case {
    const char* name;
    std::string body;
    Lines messages;  // "@" stands for the block file's name
    std::int32_t nd;
    std::string file1;
  };
  const std::string required = "datafile1 a.dat;\ndatafile2 b.dat;\ndatafile_nd 3;\ndatafile_nt 4;\n";
  const std::vector<Case> cases = {
      {"the four required commands", required + "end;\n", {kOk, echo(1, "a.dat"), echo(2, "b.dat")}, 3, "a.dat"},
      {"datafile1 without a name is ignored",
       "datafile1 a.dat;\ndatafile2 b.dat;\ndatafile_nd 3;\ndatafile_nt 4;\ndatafile1;\nend;\n",
       {kOk, echo(1, "a.dat"), echo(2, "b.dat")}, 3, "a.dat"},
      {"file 1 never named", "datafile1;\ndatafile2 b.dat;\ndatafile_nd 3;\ndatafile_nt 4;\nend;\n",
       {kIncomplete, echo(1, ""), echo(2, "b.dat")}, 3, ""},
      {"unreadable nd: skipped, reading goes on",
       "datafile1 a.dat;\ndatafile_nd x;\ndatafile2 b.dat;\ndatafile_nt 4;\nend;\n",
       {"*** ERROR *** Error reading parameters in command line: datafile_nd x", kIncomplete,
        echo(1, "a.dat"), echo(2, "b.dat")},
       0, "a.dat"},
      {"a second unreadable nd keeps the first",
       required + "datafile_nd;\nend;\n",
       {"*** ERROR *** Not correct number of parameters in command line",
        "*** ERROR *** Error reading parameters in command line: datafile_nd ", kOk, echo(1, "a.dat"),
        echo(2, "b.dat")},
       3, "a.dat"},
      {"unknown command and exit are errors",
       required + "datafile3 c.dat;\nexit;\nend;\n",
       {"*** ERROR *** Error in command line 5 Masterfile name: @",
        "*** ERROR *** Error in command line 6 Masterfile name: @", kOk, echo(1, "a.dat"), echo(2, "b.dat")},
       3, "a.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read r = read_block(c.body);
    Lines expected = c.messages;
    for (std::string& line : expected)
      if (const auto at = line.find('@'); at != std::string::npos) line.replace(at, 1, r.file);
    EXPECT_EQ(r.messages, expected);
    EXPECT_EQ(r.model.nd, c.nd);
    EXPECT_EQ(r.model.file1, c.file1);
    EXPECT_EQ(r.next, "after");
  }
}

TEST(WavemodsInput, EndOfFileEndsTheBlock) {
  const Read r = read_block("datafile1 a.dat;\ndatafile2 b.dat;\n", false);
  ASSERT_EQ(r.messages.size(), 4u);
  EXPECT_EQ(r.messages[0].rfind("*** INFO *** End of file reached. Line number 2", 0), 0u);
  EXPECT_EQ(r.messages[1], kIncomplete);
  EXPECT_EQ(r.messages[3], echo(2, "b.dat"));
  EXPECT_EQ(r.next, "exit");
}

}  // namespace
}  // namespace pelm
