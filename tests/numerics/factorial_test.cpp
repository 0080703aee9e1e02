#include "numerics/factorial.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/support/console_capture.h"

namespace pelm {
namespace {

// n! exactly (34! < 2^128), rounded once to single precision.
float exact_factorial(int n) {
  unsigned __int128 f = 1;
  for (int k = 2; k <= n; ++k) f *= static_cast<unsigned>(k);
  return static_cast<float>(f);
}

TEST(Fac, TableIsTheCorrectlyRoundedFactorial) {
  for (int n = 0; n <= 25; ++n) EXPECT_EQ(FAC(n), exact_factorial(n)) << "n = " << n;
}

// Stirling's series in single precision: each of the four steps that build
// the exponent (60 to 90) rounds it by up to half an ulp, 3.8e-6, and the
// result inherits that error relatively, so a few times 1e-6 is expected
// (measured: at most 3.2e-6 for 26..34) and 3e-5 bounds it with logf and expf
// included. A lost or wrong leading term of the remainder, 1/(12x) ~ 3e-3,
// is far outside.
TEST(Fac, StirlingRangeAgreesWithTheFactorialToSinglePrecisionRounding) {
  for (int n = 26; n <= 34; ++n) {
    const float expected = exact_factorial(n);
    EXPECT_NEAR(FAC(n) / expected, 1.0f, 3e-5f) << "n = " << n;
  }
  EXPECT_TRUE(std::isfinite(FAC(34)));
}

TEST(Fac, ArgumentsOutsideTheRangeAreReportedAndGiveNaN) {
  const struct {
    int n;
    std::string line;
  } cases[] = {
      {-1,
       "*** TERMINAL ERROR from fac.  The factorial of a negative integer is undefined. N = -1."},
      {35,
       "*** FATAL ERROR from fac.  The factorial of the argument is so large it would overflow. "
       "N = 35. It must be less than 34."},
      {1000,
       "*** FATAL ERROR from fac.  The factorial of the argument is so large it would overflow. "
       "N = 1000. It must be less than 34."},
  };
  for (const auto& c : cases) {
    ConsoleCapture capture;
    EXPECT_TRUE(std::isnan(FAC(c.n))) << "n = " << c.n;
    EXPECT_EQ(capture.lines(), std::vector<std::string>{c.line});
  }
}

}  // namespace
}  // namespace pelm
