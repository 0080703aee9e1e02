#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/command_file.h"
#include "models/deterministic/det_model.h"
#include "tests/support/block_reader.h"

namespace pelm {
namespace {

using Lines = std::vector<std::string>;
const std::string kOk = "Pelm dll input commands read with succes";
const std::string kIncomplete =
    "*** ERROR *** Not all needed pelm_dll deterministic input commands present - error";
const std::string kPrecalculated = "In Pelm_dll: Wave field will be precalculated";

using Read = BlockRead<DetModel>;
const auto kReader = [](CommandFile*& current, DetModel& model) { det_airy_input(current, model); };

Read read_block(const std::string& body) { return read_block_body<DetModel>(body, kReader); }

TEST(DetInput, CommandsDefaultsAndRounding) {
  struct Case {
    const char* body;
    const char* file;
    std::int32_t n, skip, time_column, elevation_column, stretching;
    double cutoff;
    bool precompute;
    Lines messages;
  };
  const std::vector<Case> cases = {
      {"file rec.txt;\nnsamples 64;\nend;\n", "rec.txt", 64, 0, 1, 2, 1, 1e-05, false, {kOk}},
      {"FILE Data/Probe.TXT;\nnsamples 99.5;\nnskip -2;\ncolumns 3 1;\nstretching 0;\n"
       "cutoff_frac 0.25;\npregen 1;\nend;\n",
       "data/probe.txt", 100, -2, 3, 1, 0, 0.25, true, {kPrecalculated, kOk}},
      {"nsamples 99.4;\ncolumns 2.5 -0.5;\npregen 1;\npregen 2;\nend;\n", "", 99, 0, 3, -1, 1, 1e-05,
       false, {kPrecalculated, kIncomplete}},
      {"file;\nnsamples 5;\nend;\n", "", 5, 0, 1, 2, 1, 1e-05, false, {kOk}},
      {"file a.txt;\nend;\n", "a.txt", 0, 0, 1, 2, 1, 1e-05, false, {kIncomplete}},
      {"file a.txt;\nfile b.txt;\nnsamples 3;\nnsamples 4;\n;\nend;\n", "b.txt", 4, 0, 1, 2, 1, 1e-05,
       false, {kOk}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    const Read r = read_block(c.body);
    EXPECT_EQ(r.model.file_name, c.file);
    EXPECT_EQ(r.model.sample_count, c.n);
    EXPECT_EQ(r.model.skip_lines, c.skip);
    EXPECT_EQ(r.model.time_column, c.time_column);
    EXPECT_EQ(r.model.elevation_column, c.elevation_column);
    EXPECT_EQ(r.model.field.stretching, c.stretching);
    EXPECT_EQ(r.model.cutoff_fraction, c.cutoff);
    EXPECT_EQ(r.model.field.precompute, c.precompute);
    EXPECT_EQ(r.messages, c.messages);
    EXPECT_EQ(r.next, "after");
  }
}

TEST(DetInput, FaultyLines) {
  struct Case {
    const char* body;
    std::vector<const char*> message_starts;  // of every line written, in order
    const char* next;                        // where reading went on after the block reader
  };
  const std::vector<Case> cases = {
      // A parameter that cannot be read hands the rest of the block back.
      {"file a;\nnsamples many;\nnskip 2;\nend;\n",
       {"*** ERROR *** Error reading parameters in command line: nsamples many",
        "*** ERROR *** Error in command line 2 Masterfile name: "},
       "nskip"},
      {"columns 3;\nend;\n",
       {"*** ERROR *** Not correct number of parameters", "*** ERROR *** Error reading parameters",
        "*** ERROR *** Error in command line 1 "},
       "end"},
      // Unknown commands (exit is not one of the block) are reported and skipped.
      {"exit_now;\nbegin pregen_field;\nfile a;\nnsamples 2;\nend;\n",
       {"*** ERROR *** Error in command line 1 ", "*** ERROR *** Error in command line 2 ", kOk.c_str()},
       "after"},
      {"stretching 2;\nfile a;\nnsamples 2;\nend;\n",
       {"*** ERROR *** In det. airy input, stretching must be 0 or 1, not 2 - command ignored", kOk.c_str()},
       "after"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    const Read r = read_block(c.body);
    ASSERT_EQ(r.messages.size(), c.message_starts.size()) << ::testing::PrintToString(r.messages);
    for (std::size_t i = 0; i < r.messages.size(); ++i)
      EXPECT_EQ(r.messages[i].rfind(c.message_starts[i], 0), 0u) << r.messages[i];
    EXPECT_EQ(r.next, c.next);
  }
  EXPECT_EQ(read_block("stretching 0;\nstretching 5;\nend;\n").model.field.stretching, 0);
}

TEST(DetInput, EndOfFileInsideTheBlockEndsIt) {
  const Read r = read_block_file<DetModel>("file a.txt;\nnsamples 10;\n", kReader);
  const std::string eof = "*** INFO *** End of file reached. Line number 2 Masterfile name: " + r.file;
  EXPECT_EQ(r.messages, (Lines{eof, kOk}));
  EXPECT_EQ(r.model.sample_count, 10);
  EXPECT_EQ(r.next, "exit");
}

}  // namespace
}  // namespace pelm
