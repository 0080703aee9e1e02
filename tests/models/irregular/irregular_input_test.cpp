#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/command_file.h"
#include "models/irregular/irregular_model.h"
#include "tests/support/block_reader.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"

namespace pelm {
namespace {

using Lines = std::vector<std::string>;
const std::string kOk = "Pelm dll input commands read with succes";
const std::string kIncomplete =
    "*** ERROR *** Not all needed pelm_dll ireg_airy input commands present - error";
const std::string kPrecalculated = "In Pelm_dll: Wave field will be precalculated";
const std::string kFieldOk = "In Pelm_dll, wfield commands read with succes";

using Read = BlockRead<IregModel>;

Read read_block(const std::string& body) {
  return read_block_body<IregModel>(body, [](CommandFile*& current, IregModel& model) {
    ireg_airy_input(current, model);
  });
}

TEST(IregularInput, DefaultsWithoutCommands) {
  const Read r = read_block("end;\n");
  EXPECT_EQ(r.model.stretching, 1);
  EXPECT_EQ(r.model.spectrum, 1);
  EXPECT_EQ(r.model.spreading, 0);
  EXPECT_EQ(r.model.spreading_exponent, 4);
  EXPECT_FALSE(r.model.jonswap || r.model.pm || r.model.wn);
  EXPECT_EQ(r.model.component_count, 0);
  EXPECT_EQ(r.model.seed, 1);
  EXPECT_TRUE(r.model.precompute);
  EXPECT_EQ(r.model.grid, nullptr);
  EXPECT_EQ(r.messages, Lines{kIncomplete});
}

TEST(IregularInput, CommandsAndRounding) {
  const Read r = read_block(
      "stretching 0;\nspectrum 2;\njonswap 4 10 3.3;\npm 3 8;\nwn 1 0.5;\ncoef 200.6 7;\n"
      "spreading 1 2;\npregen 0;\nend;\n");
  EXPECT_EQ(r.model.stretching, 0);
  EXPECT_EQ(r.model.spectrum, 2);
  EXPECT_EQ(*r.model.jonswap, (std::array<double, 3>{4, 10, 3.3}));
  EXPECT_EQ(*r.model.pm, (std::array<double, 2>{3, 8}));
  EXPECT_EQ(*r.model.wn, (std::array<double, 2>{1, 0.5}));
  EXPECT_EQ(r.model.component_count, 201);
  EXPECT_EQ(r.model.seed, 7);
  EXPECT_EQ(r.model.spreading, 1);
  EXPECT_EQ(r.model.spreading_exponent, 2);
  EXPECT_FALSE(r.model.precompute);
  EXPECT_EQ(r.messages, Lines{kOk});
  EXPECT_EQ(r.next, "after");
}

TEST(IregularInput, Completeness) {
  struct Case {
    const char* body;
    bool complete;
  };
  const std::vector<Case> cases = {
      {"stretching 1;\nspectrum 3;\nwn 1 0.5;\nend;\n", true},
      {"stretching 1;\nspectrum 1;\nend;\n", false},
      {"stretching 1;\ncoef 10 1;\nend;\n", false},
      {"spectrum 1;\ncoef 10 1;\nend;\n", false},
      {"stretching 1;\nspectrum 3;\nspectrum 2;\nend;\n", false},
      {"spectrum 1;\ncoef 10 1;\nstretching 1;\nend;\n", true},
  };
  for (const auto& c : cases) {
    const Read r = read_block(c.body);
    EXPECT_EQ(r.messages, Lines{c.complete ? kOk : kIncomplete}) << c.body;
  }
}

TEST(IregularInput, StretchingOtherThanZeroOrOneIsRejected) {
  const Read r = read_block("stretching 0;\nstretching 2;\nspectrum 1;\ncoef 5 1;\nend;\n");
  EXPECT_EQ(r.model.stretching, 0);
  ASSERT_EQ(r.messages.size(), 2u);
  EXPECT_EQ(r.messages[0].rfind("*** ERROR *** ", 0), 0u);
  EXPECT_NE(r.messages[0].find("stretching must be 0 or 1"), std::string::npos);
  EXPECT_EQ(r.messages[1], kOk);
}

TEST(IregularInput, RepeatedParameterCommandsReplaceTheirArray) {
  const Read r = read_block("jonswap 1 2 3;\njonswap 4 5 6;\nend;\n");
  EXPECT_EQ(*r.model.jonswap, (std::array<double, 3>{4, 5, 6}));
}

TEST(IregularInput, ParameterErrorHandsTheRestBack) {
  const Read r = read_block("spectrum 1;\njonswap 4 10;\nend;\n");
  ASSERT_EQ(r.messages.size(), 3u);
  EXPECT_EQ(r.messages[2].rfind("*** ERROR *** Error in command line 2 Masterfile name: ", 0), 0u);
  EXPECT_EQ(r.next, "end");
}

TEST(IregularInput, UnknownCommandsAndSubBlocksAreReportedAndSkipped) {
  const Read r = read_block("begin other;\nfoo 1;\n;\nend;\n");
  ASSERT_EQ(r.messages.size(), 3u);
  EXPECT_EQ(r.messages[0].rfind("*** ERROR *** Error in command line 1 ", 0), 0u);
  EXPECT_EQ(r.messages[1].rfind("*** ERROR *** Error in command line 2 ", 0), 0u);
  EXPECT_EQ(r.next, "after");
}

TEST(PregenField, SubBlockCommands) {
  const Read r = read_block(
      "begin pregen_field;\nz_resolution 20.9;\ny_resolution 4 2.5;\nt_resolution 0.05;\n"
      "x_range 250;\nend;\nend;\n");
  ASSERT_NE(r.model.grid, nullptr);
  EXPECT_EQ(r.model.grid->nz, 20);
  EXPECT_EQ(r.model.grid->ny, 5);
  EXPECT_EQ(r.model.grid->dy, 2.5);
  EXPECT_EQ(r.model.grid->dt_grid, 0.05);
  EXPECT_EQ(r.model.grid->x_range, 250.0);
  EXPECT_TRUE(r.model.precompute);
  EXPECT_EQ(r.messages,
            (Lines{"In pelm_dll: Ny in y-resolution of wavefield has to be an uneven number. 5 is "
                   "used instead of 4",
                   kFieldOk, kIncomplete}));
}

TEST(PregenField, EmptySubBlockKeepsTheDefaults) {
  const Read r = read_block("begin pregen_field;\nend;\nend;\n");
  ASSERT_NE(r.model.grid, nullptr);
  EXPECT_EQ(r.model.grid->nz, 15);
  EXPECT_EQ(r.model.grid->ny, 1);
  EXPECT_EQ(r.model.grid->dt_grid, 0.0);
  EXPECT_EQ(r.model.grid->x_range, 100.0);
}

TEST(PregenField, PregenOneInstallsAFreshGridAndPregenZeroSwitchesOff) {
  {
    const Read r = read_block("begin pregen_field;\nz_resolution 30;\nend;\npregen 1;\nend;\n");
    ASSERT_NE(r.model.grid, nullptr);
    EXPECT_EQ(r.model.grid->nz, 15);
    EXPECT_EQ(r.messages, (Lines{kFieldOk, kPrecalculated, kIncomplete}));
  }
  {
    const Read r = read_block("pregen 1;\nbegin pregen_field;\nz_resolution 30;\nend;\nend;\n");
    EXPECT_EQ(r.model.grid->nz, 30);
  }
  {
    const Read r = read_block("pregen 2;\nend;\n");
    EXPECT_FALSE(r.model.precompute);
  }
}

TEST(PregenField, ParameterErrorEndsOnlyTheSubBlock) {
  const Read r = read_block("begin pregen_field;\nz_resolution;\nx_range 5;\nend;\nend;\n");
  // The sub-block gave up at line 2; the ireg_airy block reads x_range as
  // unknown and the sub-block's end as its own.
  EXPECT_EQ(r.model.grid->x_range, 100.0);
  EXPECT_EQ(r.next, "end");
}

TEST(IregularInput, EndOfFileInsideTheBlockOrSubBlockEndsThem) {
  const Read r = read_block_file<IregModel>(
      "spectrum 1;\nbegin pregen_field;\nz_resolution 9;\n",
      [](CommandFile*& current, IregModel& model) { ireg_airy_input(current, model); });
  const std::string eof = "*** INFO *** End of file reached. Line number 3 Masterfile name: " + r.file;
  EXPECT_EQ(r.messages, (Lines{eof, kFieldOk, eof, kIncomplete}));
  EXPECT_EQ(r.model.grid->nz, 9);
}

}  // namespace
}  // namespace pelm
