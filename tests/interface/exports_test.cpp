// Drives the shared library through its four exports, as a host does.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "pelm_dll.h"
#include "tests/support/temp_folder.h"
#include "tests/support/working_directory.h"

namespace {

const std::string kData = PELM_TEST_DATA_DIR;

struct Sample {
  double eta = -1.0;
  double vel[3] = {-1.0, -1.0, -1.0};
  double acc[3] = {-1.0, -1.0, -1.0};
  double pdyn = -1.0;

  bool untouched() const {
    for (int i = 0; i < 3; ++i)
      if (vel[i] != -1.0 || acc[i] != -1.0) return false;
    return eta == -1.0 && pdyn == -1.0;
  }
  bool operator==(const Sample& o) const {
    for (int i = 0; i < 3; ++i)
      if (vel[i] != o.vel[i] || acc[i] != o.acc[i]) return false;
    return eta == o.eta && pdyn == o.pdyn;
  }
};

// Runs init and returns what the library printed.
std::string init_with(const std::string& file, double t_start = 0.0, double t_end = 100.0,
                      double dt = 0.1) {
  testing::internal::CaptureStdout();
  init(file.data(), static_cast<int32_t>(file.size()), &t_start, &t_end, &dt);
  return testing::internal::GetCapturedStdout();
}

Sample sample(double t, double x, double y, double z) {
  Sample s;
  set_new_time(&t);
  // Exactly two values for the elevation: the sanitizer build catches a third read.
  std::vector<double> xy = {x, y};
  get_sea_elevation(xy.data(), &s.eta);
  const double pos[3] = {x, y, z};
  get_kinematics(pos, s.vel, s.acc, &s.pdyn);
  return s;
}

TEST(ExportsBeforeInitDeathTest, EvaluationsLeaveTheirOutputsAlone) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process that never ran init
  EXPECT_EXIT(std::exit(sample(1.0, 0.0, 0.0, -5.0).untouched() ? 0 : 1),
              ::testing::ExitedWithCode(0), "");
}

TEST(Exports, RegularWaveAnswersTheSameAtTheSameTimeWhateverTheOrder) {
  const std::string out = init_with(kData + "/regular_h30_t10.inp");
  EXPECT_EQ(out, "In pelm_dll init, inputfile: " + kData +
                     "/regular_h30_t10.inp\nReg. airy input commands read with succes\n"
                     "Pelm dll input commands read with succes\n");
  const std::vector<double> times = {0.0, 3.7, 1.2, 9.9, 3.7, 0.0, 55.5, 1.2};
  std::vector<Sample> first;
  for (double t : {0.0, 1.2, 3.7, 9.9, 55.5}) first.push_back(sample(t, 3.0, 1.0, -4.0));
  for (double t : times) {
    const Sample again = sample(t, 3.0, 1.0, -4.0);
    const std::size_t index = t == 0.0 ? 0 : t == 1.2 ? 1 : t == 3.7 ? 2 : t == 9.9 ? 3 : 4;
    EXPECT_TRUE(again == first[index]) << "t=" << t;
  }
  EXPECT_FALSE(first[1] == first[2]);
  // Linear theory: eta = a sin(omega t - k x) with a = 1 m, T = 10 s.
  EXPECT_NEAR(sample(2.5, 0.0, 0.0, -1.0).eta, 1.0, 1e-12);
  EXPECT_EQ(sample(3.0, 0.0, 0.0, -1.0).vel[1], 0.0);
}

TEST(Exports, FortranHostsBlankPaddedNameIsFound) {
  std::string padded = kData + "/regular_h30_t10.inp";
  padded.resize(padded.size() + 40, ' ');
  const std::string out = init_with(padded);
  EXPECT_EQ(out.rfind("In pelm_dll init, inputfile: " + padded + "\n", 0), 0u);
  EXPECT_NEAR(sample(2.5, 0.0, 0.0, -1.0).eta, 1.0, 1e-12);
}

struct RefusedCase {
  const char* file;
  const char* message;  // a line init must print ("" for none beyond the input messages)
};

TEST(Exports, RefusedSetUpLeavesOutputsAlone) {
  const std::vector<RefusedCase> cases = {
      {"unknown_wave_model.inp", ""},
      {"missing_model_block.inp",
       "*** ERROR *** Wavetype 0 selects reg_airy but the input has no reg_airy block - wave "
       "model not set up\n"},
      {"zero_depth_regular.inp",
       "*** ERROR *** Water depth must be greater than 0 for reg_airy - wave model not set up. "
       "wdepth = 0\n"},
      {"zero_depth_deterministic.inp",
       "*** ERROR *** Water depth must be greater than 0 for det_airy - wave model not set up. "
       "wdepth = 0\n"},
      {"strf_zero_depth.inp",
       "*** ERROR *** Water depth must be greater than 0 for strf - wave model not set up. "
       "wdepth = 0\n"},
      {"strf_without_period.inp",
       "*** ERROR *** In strf, no valid wave period T > 0 was given - wave model not set up\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    // A working model first, so that the refusal must also discard it.
    init_with(kData + "/regular_h30_t10.inp");
    ASSERT_FALSE(sample(1.0, 0.0, 0.0, -2.0).untouched());
    const std::string out = init_with(kData + "/" + c.file);
    EXPECT_NE(out.find(c.message), std::string::npos) << out;
    EXPECT_TRUE(sample(1.0, 0.0, 0.0, -2.0).untouched());
    EXPECT_TRUE(sample(7.0, 5.0, 1.0, -20.0).untouched());
  }
}

TEST(Exports, StreamFunctionWave) {
  const std::string out = init_with(kData + "/strf_h4_t8.inp");
  EXPECT_NE(out.find("\n      d       T       H       U    order  iter  rms error  code      L\n"),
            std::string::npos) << out;
  // A crest at x = 0, t = 0, higher than half the height of this steep wave,
  // with the particles there moving horizontally only.
  const Sample crest = sample(0.0, 0.0, 0.0, 0.0);
  EXPECT_GT(crest.eta, 2.2);
  EXPECT_LT(crest.eta, 4.0);
  EXPECT_EQ(crest.vel[2], 0.0);
  EXPECT_GT(crest.vel[0], 0.5);
  // Single-precision results; no y dependence, no y components, no pressure.
  for (double t : {0.0, 1.7, 5.2}) {
    const Sample a = sample(t, 12.0, -30.0, -4.0);
    const Sample b = sample(t, 12.0, 7.0, -4.0);
    EXPECT_TRUE(a == b);
    EXPECT_EQ(a.eta, static_cast<double>(static_cast<float>(a.eta)));
    EXPECT_EQ(a.vel[0], static_cast<double>(static_cast<float>(a.vel[0])));
    EXPECT_EQ(a.vel[1], 0.0);
    EXPECT_EQ(a.acc[1], 0.0);
    EXPECT_EQ(a.pdyn, 0.0);
  }
  // Periodic in time.
  const Sample later = sample(8.0, 0.0, 0.0, -5.0);
  const Sample now = sample(0.0, 0.0, 0.0, -5.0);
  EXPECT_NEAR(later.vel[0], now.vel[0], 1e-5);
  EXPECT_NEAR(later.eta, now.eta, 1e-5);
}

TEST(Exports, SecondInitReplacesTheFirstModel) {
  init_with(kData + "/regular_h30_t10.inp");
  const Sample a = sample(1.9, 2.0, 0.0, -3.0);
  init_with(kData + "/regular_h50_t8.inp");
  const Sample b = sample(1.9, 2.0, 0.0, -3.0);
  EXPECT_FALSE(a == b);
  EXPECT_NEAR(sample(2.0, 0.0, 0.0, -1.0).eta, 1.5, 1e-12);  // H = 3 m, T = 8 s: crest at T/4
  init_with(kData + "/regular_h30_t10.inp");
  EXPECT_TRUE(sample(1.9, 2.0, 0.0, -3.0) == a);
}

TEST(Exports, EndOfFileInsideABlockFinishesTheInput) {
  const std::string file = kData + "/end_of_file_inside_block.inp";
  const std::string out = init_with(file);
  const std::string eof = "*** INFO *** End of file reached. Line number 6 Masterfile name: " + file + "\n";
  EXPECT_EQ(out, "In pelm_dll init, inputfile: " + file + "\n" + eof +
                     "Reg. airy input commands read with succes\n" + eof +
                     "Pelm dll input commands read with succes\n" + eof);
  EXPECT_NEAR(sample(2.5, 0.0, 0.0, -1.0).eta, 1.0, 1e-12);
}

TEST(ExportsDeathTest, InputFileThatCannotBeOpenedStopsTheProcess) {
  const std::string file = kData + "/no_such_input.inp";
  EXPECT_EXIT(init_with(file), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(
      {
        // The message goes to standard output; send that to the matched stream.
        std::fflush(stdout);
        if (!std::freopen("/dev/stderr", "w", stdout)) std::exit(3);
        const double t = 0.0;
        init(file.data(), static_cast<int32_t>(file.size()), &t, &t, &t);
      },
      ::testing::ExitedWithCode(1), "Error opening file: " + file);
}

TEST(ExportsDeathTest, IncludedFileThatCannotBeOpenedStopsTheProcess) {
  const std::string file = kData + "/missing_included_file.inp";
  EXPECT_EXIT(
      {
        std::fflush(stdout);
        if (!std::freopen("/dev/stderr", "w", stdout)) std::exit(3);
        const double t = 0.0;
        init(file.data(), static_cast<int32_t>(file.size()), &t, &t, &t);
      },
      ::testing::ExitedWithCode(1),
      "Main input file is continued in file :tests/data/no_such_file.inp\n"
      "Error opening file: tests/data/no_such_file.inp");
}

}  // namespace

namespace {

// What a host may throw at any model: times and points far outside the
// window and the water, and NaN from a broken host computation. Every output
// stays finite; the README says what each model returns there.
TEST(Exports, EveryBundledModelAnswersHostileQueriesWithFiniteValues) {
  const std::filesystem::path examples =
      std::filesystem::path(kData).parent_path().parent_path() / "examples";
  pelm::TempFolder folder;
  // The examples name their data files from the repository root.
  std::filesystem::create_directory_symlink(examples, folder.path("examples"));
  pelm::ScopedWorkingDirectory here(folder.path(""));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double times[] = {0.0, 7.3, -1e300, 1e300, 1e12, nan};
  const double points[][3] = {{0, 0, -5},     {0, 0, 0},    {3, 4, 0.5},   {0, 0, 1e300},
                              {0, 0, -1e300}, {0, 0, -1e4}, {1e300, 0, -5}, {-1e300, 1e300, -5},
                              {nan, 0, -5},   {0, nan, -5}, {0, 0, nan}};
  std::size_t models = 0;
  for (const auto& entry : std::filesystem::directory_iterator(examples)) {
    if (entry.path().extension() != ".inp") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++models;
    init_with("examples/" + entry.path().filename().string(), 0.0, 60.0, 0.1);
    int reported = 0;
    for (double t : times) {
      for (const auto& p : points) {
        const Sample s = sample(t, p[0], p[1], p[2]);
        const double values[] = {s.eta, s.vel[0], s.vel[1], s.vel[2], s.acc[0], s.acc[1], s.acc[2], s.pdyn};
        bool finite = true;
        for (double v : values) finite = finite && std::isfinite(v);
        if (!finite && reported++ < 100)
          ADD_FAILURE() << "t = " << t << " at (" << p[0] << ", " << p[1] << ", " << p[2] << "): eta "
                        << s.eta << " u " << s.vel[0] << " w " << s.vel[2] << " ax " << s.acc[0]
                        << " az " << s.acc[2] << " p " << s.pdyn;
      }
    }
  }
  EXPECT_EQ(models, 5u);
}

}  // namespace
