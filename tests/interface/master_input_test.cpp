#include "interface/master_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interface/library_state.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"

namespace pelm {
namespace {

using Lines = std::vector<std::string>;

// Replaces every "@" in the expected lines by the master file's path.
Lines with_path(const Lines& lines, const std::string& path) {
  Lines out;
  for (std::string line : lines) {
    for (std::size_t at = line.find('@'); at != std::string::npos; at = line.find('@', at + path.size()))
      line.replace(at, 1, path);
    out.push_back(line);
  }
  return out;
}

const std::string kSuccess = "Pelm dll input commands read with succes";
const std::string kIncomplete = "*** ERROR *** Not all needed pelm_dll input commands present - error";

struct MasterCase {
  const char* name;
  std::string input;
  Lines messages;
  WaveModel wave_model;
  double depth;
};

TEST(ReadInputFile, MasterBlockCases) {
  const std::vector<MasterCase> cases = {
      {"no pelm_input block",
       "wave 1;\n\nfoo bar;\n",
       {"Command line ignored. Line number: 1 Masterfile name: @",
        "*** ERROR *** No line termination in command line 2",
        "Command line ignored. Line number: 3 Masterfile name: @",
        "*** INFO *** End of file reached. Line number 3 Masterfile name: @"},
       kIregAiry,
       0.0},
      {"complete block, rounding and unchecked depth",
       "begin pelm_input;\n  WaveType 2.5;\n  wdepth -5;\nend;\nexit;\n",
       {kSuccess},
       kStrf,
       -5.0},
      {"wave type without a model",
       "begin pelm_input;\nwavetype 7;\nwdepth 1d1;\nend;\nexit;\n",
       {kSuccess},
       7,
       10.0},
      {"missing wavetype",
       "begin pelm_input;\nwdepth 20;\nend;\nexit;\n",
       {kIncomplete},
       kIregAiry,
       20.0},
      {"unknown block inside: its end ends pelm_input",
       "begin pelm_input;\nwavetype 0;\nbegin foo;\nwdepth 10;\nend;\nwdepth 20;\nend;\nexit;\n",
       {"*** ERROR *** Error in command line 3 Masterfile name: @", kSuccess,
        "Command line ignored. Line number: 6 Masterfile name: @",
        "Command line ignored. Line number: 7 Masterfile name: @"},
       kRegAiry,
       10.0},
      {"parameter error ends the block early",
       "begin pelm_input;\nwavetype 0;\nwdepth x;\nbegin reg_airy;\nend;\nend;\nexit;\n",
       {"*** ERROR *** Error reading parameters in command line: wdepth x",
        "*** ERROR *** Error in command line 3 Masterfile name: @",
        "*** ERROR *** Error in command line 4 Masterfile name: @",
        "Command line ignored. Line number: 5 Masterfile name: @",
        "Command line ignored. Line number: 6 Masterfile name: @"},
       kRegAiry,
       0.0},
      {"end of file inside the block ends it",
       "begin pelm_input;\nwavetype 1;\nwdepth 10;\n",
       {"*** INFO *** End of file reached. Line number 3 Masterfile name: @", kSuccess,
        "*** INFO *** End of file reached. Line number 3 Masterfile name: @"},
       kIregAiry,
       10.0},
      {"explicit exit inside the block is not a block command",
       "begin pelm_input;\nexit;\nwavetype 0;\nwdepth 4;\nend;\nexit;\n",
       {"*** ERROR *** Error in command line 2 Masterfile name: @", kSuccess},
       kRegAiry,
       4.0},
      {"blank begin and remarks outside",
       "; comment\nbegin;\nbegin other;\n",
       {"*** ERROR *** Error in command line 3 Masterfile name: @",
        "*** INFO *** End of file reached. Line number 3 Masterfile name: @"},
       kIregAiry,
       0.0},
      {"block read again",
       "begin pelm_input;\nwavetype 0;\nend;\nbegin pelm_input;\nwdepth 3;\nend;\nexit;\n",
       {kIncomplete, kIncomplete},
       kRegAiry,
       3.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string path = folder.write("master.inp", c.input);
    LibraryState state;
    ConsoleCapture capture;
    read_input_file(state, path);
    EXPECT_EQ(capture.lines(), with_path(c.messages, path));
    EXPECT_EQ(state.wave_model, c.wave_model);
    EXPECT_EQ(state.depth, c.depth);
  }
}

TEST(ReadInputFile, ModelBlocksAreReadWhetherSelectedOrNotAndTheLastOneCounts) {
  TempFolder folder;
  const std::string path = folder.write("master.inp",
                                        "begin pelm_input;\n"
                                        "begin reg_airy;\nstretching 0;\nwave 2 10;\nend;\n"
                                        "wavetype 1;\nwdepth 30;\n"
                                        "begin reg_airy;\nwave 4 8;\nend;\n"
                                        "end;\nexit;\n");
  LibraryState state;
  ConsoleCapture capture;
  read_input_file(state, path);
  ASSERT_NE(state.reg_airy, nullptr);
  EXPECT_EQ(state.reg_airy->stretching, 1);  // from the defaults again
  EXPECT_EQ(state.reg_airy->height, 4.0);
  EXPECT_EQ(capture.lines(),
            (Lines{"Reg. airy input commands read with succes",
                   "*** ERROR *** Not all needed pelm_dll reg_airy input commands present - error",
                   kSuccess}));
}

TEST(ReadInputFile, BlockMaySpanSeveralFiles) {
  TempFolder folder;
  const std::string reg = folder.write("reg.inp", "stretching 1;\nwave 2 10;\nexit;\n");
  const std::string depth = folder.write("depth.inp", "wdepth 25;\n");
  const std::string path = folder.write(
      "master.inp", "begin pelm_input;\nwavetype 0;\ncontinue_in_file " + depth +
                        ";\nbegin reg_airy;\ncontinue_in_file " + reg + ";\nend;\nend;\nexit;\n");
  LibraryState state;
  ConsoleCapture capture;
  read_input_file(state, path);
  EXPECT_EQ(state.depth, 25.0);
  ASSERT_NE(state.reg_airy, nullptr);
  EXPECT_EQ(state.reg_airy->amplitude, 1.0);
  EXPECT_TRUE(capture.contains(kSuccess));
  EXPECT_TRUE(capture.contains("Reg. airy input commands read with succes"));
  EXPECT_EQ(state.current_file, state.master_file.get());
}

TEST(ReadInputFile, BlocksOfModelsNotYetAvailableAreSkippedToTheirEnd) {
  TempFolder folder;
  const std::string path = folder.write(
      "master.inp", "begin pelm_input;\nwavetype 0;\nbegin wavemods;\nwdepth 99;\nend;\nwdepth 7;\nend;\n");
  LibraryState state;
  ConsoleCapture capture;
  read_input_file(state, path);
  EXPECT_EQ(state.depth, 7.0);
  EXPECT_TRUE(capture.contains(kSuccess));
}

TEST(ReadInputFile, WavemodsBlockIsReadIntoItsRecord) {
  TempFolder folder;
  const std::string path = folder.write(
      "master.inp", "begin pelm_input;\nwavetype 4;\nbegin wavemods;\ndatafile_nd 3;\nend;\nwdepth 7;\nend;\n");
  LibraryState state;
  ConsoleCapture capture;
  read_input_file(state, path);
  ASSERT_NE(state.wavemods, nullptr);
  EXPECT_EQ(state.wavemods->nd, 3);
  EXPECT_EQ(state.wave_model, kWavemods);
  EXPECT_EQ(state.depth, 7.0);
  EXPECT_TRUE(capture.contains(kSuccess));
}

TEST(ReadInputFileDeathTest, MissingMasterFileStopsTheProcess) {
  TempFolder folder;
  const std::string path = folder.path("absent.inp");
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        LibraryState state;
        read_input_file(state, path);
      },
      ::testing::ExitedWithCode(1), "Error opening file: " + path);
}

}  // namespace
}  // namespace pelm
