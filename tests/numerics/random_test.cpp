#include "numerics/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/console_capture.h"

namespace pelm {
namespace {

constexpr double kModulus = 2147483647.0;

// The stream is process-wide: every test starts from the load state with a
// clock it controls.
TimeOfDay clock_now{};
TimeOfDay fake_clock() { return clock_now; }

class RandomStream : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_random_stream_for_testing();
    set_random_clock_for_testing(fake_clock);
    clock_now = {1, 2, 3};  // clock seed 10204
  }
  void TearDown() override {
    set_random_clock_for_testing(nullptr);
    reset_random_stream_for_testing();
  }

  static std::vector<double> draw(int n) {
    std::vector<double> u(n);
    DRNUN(n, u.data());
    return u;
  }
  // The integer behind a deviate: u = x/m to 1e-16, so u*m is within 1e-6 of x.
  static std::int64_t integer_of(double u) { return std::llround(u * kModulus); }
  static std::int64_t next_integer() { return integer_of(draw(1)[0]); }
};

// 16807^k mod (2^31 - 1) in 64-bit arithmetic, independent of Schrage.
std::int64_t power_of_multiplier_times(std::int64_t seed, int steps) {
  for (int i = 0; i < steps; ++i) seed = seed * 16807 % 2147483647;
  return seed;
}

TEST_F(RandomStream, SeedOneGivesThePublishedIntegers) {
  RNSEED(1);
  const auto u = draw(10000);
  EXPECT_EQ(u[0], 7.826369259425611e-06);
  EXPECT_EQ(integer_of(u[0]), 16807);
  EXPECT_EQ(integer_of(u[1]), 282475249);
  EXPECT_EQ(integer_of(u[2]), 1622650073);
  EXPECT_EQ(integer_of(u[9999]), 1043618065);
}

TEST_F(RandomStream, AgreesWithPlainModularArithmeticAcrossTheRange) {
  // Seeds near both ends of the range exercise the negative branch of Schrage.
  for (std::int32_t seed : {1, 2, 127773, 127774, 1000000000, 2147483645, 2147483646}) {
    RNSEED(seed);
    const auto u = draw(50);
    for (int i = 0; i < 50; ++i)
      ASSERT_EQ(integer_of(u[i]), power_of_multiplier_times(seed, i + 1))
          << "seed " << seed << ", draw " << i;
  }
}

TEST_F(RandomStream, DeviateIsTheIntegerTimesTheRoundedReciprocalOfTheModulus) {
  RNSEED(2147483646);  // next integer is m - 16807
  EXPECT_EQ(draw(1)[0], 2147466840.0 * 4.656612875245797e-10);
}

TEST_F(RandomStream, SuccessiveCallsContinueOneStream) {
  RNSEED(1);
  const auto together = draw(3);
  RNSEED(1);
  std::vector<double> apart;
  for (int i = 0; i < 3; ++i) apart.push_back(draw(1)[0]);
  EXPECT_EQ(apart, together);
}

TEST_F(RandomStream, SeedsOutsideTheRangeStoreNothingOnceSeeded) {
  for (std::int32_t ignored : {-1, -2147483647 - 1, 2147483647}) {
    RNSEED(5);
    draw(2);
    RNSEED(ignored);
    EXPECT_EQ(next_integer(), power_of_multiplier_times(5, 3)) << "seed " << ignored;
  }
}

TEST_F(RandomStream, SeedsOutsideTheRangeSeedAFreshStreamFromTheClock) {
  for (std::int32_t ignored : {-5, 2147483647}) {
    reset_random_stream_for_testing();
    RNSEED(ignored);
    clock_now = {23, 59, 59};  // a later clock must not be read again
    EXPECT_EQ(next_integer(), power_of_multiplier_times(10204, 1)) << "seed " << ignored;
    clock_now = {1, 2, 3};
  }
}

TEST_F(RandomStream, SeedZeroTakesTheClockAndAtMidnightTheFallback) {
  RNSEED(7);
  RNSEED(0);
  EXPECT_EQ(next_integer(), power_of_multiplier_times(10204, 1));

  clock_now = {0, 0, 0};
  RNSEED(0);
  EXPECT_EQ(next_integer(), power_of_multiplier_times(123457, 1));
}

// Seed 0 does not mark the stream seeded, so the first draw of the process
// reads the clock again.
TEST_F(RandomStream, SeedZeroOnAFreshStreamLetsTheFirstDrawReadTheClockAgain) {
  RNSEED(0);
  clock_now = {12, 0, 0};
  EXPECT_EQ(next_integer(), power_of_multiplier_times(120001, 1));
}

TEST_F(RandomStream, UnseededStreamTakesAClockSeedAtItsFirstDraw) {
  clock_now = {0, 0, 0};
  EXPECT_EQ(next_integer(), power_of_multiplier_times(123457, 1));
}

TEST_F(RandomStream, CountBelowOneIsReportedAndChangesNothing) {
  RNSEED(1);
  draw(1);
  ConsoleCapture capture;
  for (std::int32_t n : {0, -4}) {
    std::vector<double> u(2, -1.0);
    DRNUN(n, u.data());
    EXPECT_EQ(u, std::vector<double>(2, -1.0));
    EXPECT_TRUE(capture.contains("*** TERMINAL ERROR from dRNUN.  NR = " + std::to_string(n) +
                                 ".  NR must be greater than or equal to 1."))
        << "n = " << n;
  }
  EXPECT_EQ(capture.lines().size(), 2u);
  EXPECT_EQ(next_integer(), 282475249);
}

// A failed first request is not the first draw: the clock is read by the
// first draw that succeeds.
TEST_F(RandomStream, FailedRequestDoesNotCountAsTheFirstDraw) {
  ConsoleCapture capture;
  DRNUN(0, nullptr);
  clock_now = {0, 0, 0};
  EXPECT_EQ(next_integer(), power_of_multiplier_times(123457, 1));
}

}  // namespace
}  // namespace pelm
