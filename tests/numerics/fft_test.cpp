#include "numerics/fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "numerics/fft_cache.h"
#include "numerics/fft_passes.h"
#include "tests/support/console_capture.h"

namespace pelm {
namespace {

// Deterministic test data in [-1, 1) (splitmix64), independent of the
// standard library's distributions.
std::vector<double> test_sequence(int n, std::uint64_t seed) {
  std::vector<double> x(n);
  for (auto& v : x) {
    seed += 0x9e3779b97f4a7c15ULL;
    std::uint64_t z = seed;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    v = static_cast<double>(z >> 11) * 0x1.0p-52 - 1.0;
  }
  return x;
}

// The packed layout by the plain O(N) sum per output position, in long
// double, with cos and sin of 2 pi m/N tabulated once and the angle index
// j k mod N kept exact in integers.
class DirectTransform {
 public:
  explicit DirectTransform(const std::vector<double>& x) : x_(x), cos_(x.size()), sin_(x.size()) {
    const auto n = static_cast<long double>(x.size());
    for (std::size_t m = 0; m < x.size(); ++m) {
      const long double angle =
          2.0L * std::numbers::pi_v<long double> * static_cast<long double>(m) / n;
      cos_[m] = std::cos(angle);
      sin_[m] = std::sin(angle);
    }
  }

  double coefficient(std::size_t position) const {
    const std::size_t n = x_.size();
    const std::size_t k = (position + 1) / 2;
    const bool nyquist = n % 2 == 0 && position == n - 1;
    const bool imaginary = position > 0 && position % 2 == 0 && !nyquist;
    const auto& weights = imaginary ? sin_ : cos_;
    long double sum = 0.0L;
    for (std::size_t j = 0, m = 0; j < n; ++j, m = (m + k) % n) sum += x_[j] * weights[m];
    return static_cast<double>(imaginary ? -sum : sum);
  }

  // Rounding in a mixed-radix transform is bounded by a few eps per pass
  // times sum |x|, and accumulates randomly: measured at about 1e-16 sum |x|
  // for every length here, the 32749-point prime included. A wrong twiddle,
  // sign or position is off by a sizeable fraction of a coefficient, about
  // sum |x| / sqrt(N) for these data, so 1e-12 sum |x| separates the two by
  // orders of magnitude either way.
  double tolerance() const {
    double sum = 0.0;
    for (double v : x_) sum += std::abs(v);
    return 1e-12 * sum;
  }

 private:
  const std::vector<double>& x_;
  std::vector<long double> cos_;
  std::vector<long double> sin_;
};

std::vector<double> transform(const std::vector<double>& x) {
  std::vector<double> coeff(x.size(), std::nan(""));
  DFFTRF(static_cast<std::int32_t>(x.size()), x.data(), coeff.data());
  return coeff;
}

TEST(Dfftrf, MatchesTheDirectSumForEveryLengthUpTo300) {
  for (int n = 1; n <= 300; ++n) {
    const auto x = test_sequence(n, static_cast<std::uint64_t>(n));
    const auto coeff = transform(x);
    const DirectTransform direct(x);
    for (int p = 0; p < n; ++p)
      ASSERT_NEAR(coeff[p], direct.coefficient(p), direct.tolerance())
          << "N = " << n << ", position " << p;
  }
}

// Large lengths: every radix at large ido and l1, checked on a spread of
// positions (both ends, the Nyquist term and a stride through the middle).
TEST(Dfftrf, MatchesTheDirectSumForLargeLengths) {
  const struct {
    int n;
    const char* kind;
  } cases[] = {
      {32768, "2 * 4^7"},
      {36000, "2^5 3^2 5^3"},
      {19683, "3^9"},
      {15625, "5^6"},
      {4004, "4 7 11 13"},
      {9009, "3^2 7 11 13"},
      {10007, "prime"},
      {2 * 2003, "2 * prime"},
      {49 * 27 * 8, "2 4 3^3 7^2"},
      {149 * 173, "149 173, direct sums"},
      {181 * 223, "181 223, chirp at ido > 1"},
      {367 * 373, "367 373, chirp at ido > 1"},
      {3 * 367 * 373, "3 367 373, chirp at ido, l1 > 1"},
  };
  for (const auto& c : cases) {
    const auto x = test_sequence(c.n, 77);
    const auto coeff = transform(x);
    const DirectTransform direct(x);
    std::vector<int> positions = {0, 1, 2, 3, 4, c.n - 3, c.n - 2, c.n - 1};
    for (int p = 5; p < c.n - 3; p += c.n / 61 + 1) positions.push_back(p);
    for (int p : positions)
      ASSERT_NEAR(coeff[p], direct.coefficient(p), direct.tolerance())
          << "N = " << c.n << " (" << c.kind << "), position " << p;
  }
}

// Lengths whose largest factor takes the chirp path (an odd factor of 180
// or more), too long for the plain sum at every position: a spread of
// positions against the long-double sum, and Parseval's identity over the
// whole spectrum, which a wrong bin anywhere would break. The bins are held
// to 1e-16 log2(N) sum |x|: the chirp path is a few transforms deep, each
// adding rounding like eps log N, and these lengths show at most 7e-18
// sum |x|, while a wrong bin is off by about sum |x|/sqrt(N) > 1e-3 sum |x|.
// Parseval compares sums of squares, seen to 1.1e-15 relative; 1e-13 leaves
// a hundredfold margin.
TEST(Dfftrf, LargePrimeFactorsAgreeWithTheDirectSumAndParseval) {
  const struct {
    int n;
    const char* kind;
  } cases[] = {
      {32749, "prime"},
      {216023, "prime"},
      {216007, "11 73 269"},
      {2 * 108263, "2 * prime"},
      {4 * 3 * 5 * 3607, "4 3 5 3607"},
      {1009 * 211, "211 1009, chirp at ido > 1"},
  };
  for (const auto& c : cases) {
    const auto x = test_sequence(c.n, 91);
    const auto coeff = transform(x);
    const DirectTransform direct(x);
    double sum_abs = 0.0;
    for (double v : x) sum_abs += std::abs(v);
    const double tolerance = 1e-16 * std::log2(c.n) * sum_abs;
    std::vector<int> positions = {0, 1, 2, c.n - 2, c.n - 1};
    for (int p = 3; p < c.n - 2; p += c.n / 13 + 1) positions.push_back(p);
    for (int p : positions)
      ASSERT_NEAR(coeff[p], direct.coefficient(p), tolerance)
          << "N = " << c.n << " (" << c.kind << "), position " << p;

    long double energy = 0.0L;
    for (double v : x) energy += static_cast<long double>(v) * v;
    long double spectrum = static_cast<long double>(coeff[0]) * coeff[0];
    for (int p = 1; p < c.n; ++p) {
      const bool nyquist = c.n % 2 == 0 && p == c.n - 1;
      spectrum += (nyquist ? 1.0L : 2.0L) * coeff[p] * coeff[p];
    }
    const long double expected = energy * c.n;
    EXPECT_LT(std::abs(static_cast<double>((spectrum - expected) / expected)), 1e-13)
        << "N = " << c.n << " (" << c.kind << ")";
  }
}

// The kept plans: a length used again, after others and after its plan has
// been dropped, gives the same bits, and the same bits as a work array made
// afresh by DFFTRI. The primes from 367 on take the chirp path, whose kept
// transforms are dropped and rebuilt along the way too.
TEST(Dfftrf, KeptPlansGiveTheSameBitsAsFreshOnes) {
  const int sequence_of_lengths[] = {360, 1009, 360,  64,       1021,     97,       367,
                                     1009, 373,  4096, 379,      2 * 1021, 383,      3 * 1009,
                                     5 * 1021, 360, 1009, 97,   1021};
  std::vector<std::pair<int, std::vector<double>>> first_results;
  for (int n : sequence_of_lengths) {
    const auto x = test_sequence(n, 3);
    const auto coeff = transform(x);
    EXPECT_TRUE(fft_detail::length_plan_cached(n)) << "N = " << n;
    bool seen = false;
    for (const auto& [length, result] : first_results) {
      if (length != n) continue;
      EXPECT_EQ(coeff, result) << "N = " << n << " again";
      seen = true;
    }
    if (seen) continue;
    std::vector<double> work(2 * static_cast<std::size_t>(n) + 15);
    std::vector<double> fresh(n);
    DFFTRI(n, work.data());
    DF2TRF(n, x.data(), fresh.data(), work.data());
    EXPECT_EQ(coeff, fresh) << "N = " << n;
    first_results.emplace_back(n, coeff);
  }
  // The caches keep the four most recent lengths and chirp factors: 1009 was
  // dropped and rebuilt at its second use, and now the older ones are gone.
  for (int n : {360, 1009, 97, 1021}) EXPECT_TRUE(fft_detail::length_plan_cached(n)) << n;
  for (int n : {64, 4096, 367}) EXPECT_FALSE(fft_detail::length_plan_cached(n)) << n;
  for (int ip : {1021, 1009, 383, 379}) EXPECT_TRUE(fft_detail::chirp_plan_cached(ip)) << ip;
  for (int ip : {367, 373}) EXPECT_FALSE(fft_detail::chirp_plan_cached(ip)) << ip;
}

// The cache's bounds on their own, with plans whose size is their key times
// 10 bytes, three plans and 100 bytes at most: a key asked for again is not
// rebuilt, the oldest go first, and trim() drops even the newest plan when it
// alone is over the limit.
struct SizedPlan {
  int key;
  std::size_t bytes() const { return 10 * static_cast<std::size_t>(key); }
};

TEST(FftPlanCache, KeepsTheMostRecentPlansWithinCountAndBytes) {
  const struct {
    int key;
    bool trim;
    bool built;
    std::vector<int> kept;  // most recent first
  } steps[] = {
      {1, false, true, {1}},        {2, false, true, {2, 1}},
      {1, false, false, {1, 2}},    {3, false, true, {3, 1, 2}},
      {4, false, true, {4, 3, 1}},  // four plans: 2, the oldest, goes
      {2, false, true, {2, 4, 3}},  // rebuilt
      {9, false, true, {9}},        // 90 bytes leave room for none of the others
      {3, false, true, {3}},        // nor the 30 of this one for the 90
      {12, false, true, {12}},
      {12, true, false, {}},        // 120 bytes: nothing stays after trimming
      {5, true, true, {5}},
  };
  fft_detail::PlanCache<SizedPlan> cache(3, 100);
  int builds = 0;
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    const auto& step = steps[i];
    const int before = builds;
    const SizedPlan& plan = cache.get(step.key, [&builds](int key) {
      ++builds;
      return std::make_unique<SizedPlan>(SizedPlan{key});
    });
    EXPECT_EQ(plan.key, step.key) << "step " << i;
    if (step.trim) cache.trim();
    EXPECT_EQ(builds > before, step.built) << "step " << i;
    std::vector<int> kept;
    for (int key = 1; key <= 12; ++key)
      if (cache.contains(key)) kept.push_back(key);
    auto expected = step.kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(kept, expected) << "step " << i;
  }
}

TEST(Dfftrf, SmallLengthsInClosedForm) {
  const double x1 = 0.3, x2 = -1.7, x3 = 2.9;
  EXPECT_EQ(transform({x1}), std::vector<double>{x1});
  EXPECT_EQ(transform({x1, x2}), (std::vector<double>{x1 + x2, x1 - x2}));
  const auto three = transform({x1, x2, x3});
  EXPECT_NEAR(three[0], x1 + x2 + x3, 1e-15);
  EXPECT_NEAR(three[1], x1 - (x2 + x3) / 2, 1e-15);
  EXPECT_NEAR(three[2], -std::sqrt(3.0) / 2 * (x2 - x3), 1e-15);
  EXPECT_EQ(transform({1, 0, 0, 0}), (std::vector<double>{1, 1, 0, 1}));
}

TEST(Dfftrf, ConstantSequenceHasOnlyTheMean) {
  for (int n : {6, 45, 64, 97, 360}) {
    const std::vector<double> x(n, 2.5);
    const auto coeff = transform(x);
    EXPECT_NEAR(coeff[0], 2.5 * n, 1e-12 * n) << "N = " << n;
    for (int p = 1; p < n; ++p)
      EXPECT_NEAR(coeff[p], 0.0, 1e-12 * n) << "N = " << n << ", position " << p;
  }
}

TEST(Dfftrf, LeavesTheInputAloneAndWorksInPlace) {
  for (int n : {1, 2, 15, 64, 77, 210}) {
    const auto x = test_sequence(n, 5);
    auto seq = x;
    const auto out_of_place = [&] {
      std::vector<double> coeff(n);
      DFFTRF(n, seq.data(), coeff.data());
      return coeff;
    }();
    EXPECT_EQ(seq, x) << "N = " << n;
    DFFTRF(n, seq.data(), seq.data());
    EXPECT_EQ(seq, out_of_place) << "N = " << n;
  }
}

// Work array positions of the factorisation: n, the count, then the factors.
std::vector<int> factors_of(int n) {
  std::vector<double> work(2 * n + 15, -1.0);
  DFFTRI(n, work.data());
  EXPECT_EQ(work[2 * n], n);
  std::vector<int> factors;
  for (int k = 0; k < static_cast<int>(work[2 * n + 1]); ++k)
    factors.push_back(static_cast<int>(work[2 * n + 2 + k]));
  return factors;
}

TEST(Dfftri, FactorisesWithFoursFirstAndTheTwoInFront) {
  const struct {
    int n;
    std::vector<int> factors;
  } cases[] = {
      {2, {2}},
      {4, {4}},
      {8, {2, 4}},
      {12, {4, 3}},
      {24, {2, 4, 3}},
      {96, {2, 4, 4, 3}},
      {7, {7}},
      {11, {11}},
      {15, {3, 5}},
      {49, {7, 7}},
      {1001, {7, 11, 13}},
      {36000, {2, 4, 4, 3, 3, 5, 5, 5}},
      {19683, {3, 3, 3, 3, 3, 3, 3, 3, 3}},
  };
  for (const auto& c : cases) EXPECT_EQ(factors_of(c.n), c.factors) << "N = " << c.n;
}

// The count a caller checks before transforming is the count DFFTRI lists,
// for every length up to 2000 and for lengths near and beyond the limit.
TEST(Dfftri, FactorCountAgreesWithTheFactorisation) {
  std::vector<int> lengths;
  for (int n = 1; n <= 2000; ++n) lengths.push_back(n);
  for (int n : {1594323, 2097152, 4194304, 999983, 216000, 1000003}) lengths.push_back(n);
  for (int n : lengths) {
    const std::int32_t count = fft_factor_count(n);
    EXPECT_EQ(count, n == 1 ? 0 : static_cast<std::int32_t>(factors_of(n).size())) << "N = " << n;
  }
  EXPECT_EQ(fft_factor_count(2 * 1594323), kFftMaxFactors + 1);  // 2 x 3^13
  EXPECT_EQ(fft_factor_count(67108864 * 2), kFftMaxFactors + 1);  // 2 x 4^13
  EXPECT_EQ(fft_factor_count(2147483647), 1);                     // a prime
}

TEST(Dfftri, LengthOneWritesNothing) {
  std::vector<double> work(17, -1.0);
  DFFTRI(1, work.data());
  EXPECT_EQ(work, std::vector<double>(17, -1.0));
}

// N = 24 = (2, 4, 3): the radix-2 factor (l1 = 1, ido = 12) owns one block of
// 12 with cos, sin(2 pi f/24), f = 1 .. 5; the radix-4 factor (l1 = 2, ido = 3)
// owns three blocks of 3 with cos, sin(2 pi 2j/24) for block j = 1, 2, 3.
TEST(Dfftri, TwiddleTableHoldsTheAnglesOfEachFactorsBlocks) {
  const int n = 24;
  std::vector<double> work(2 * n + 15, 0.0);
  DFFTRI(n, work.data());
  const double* table = work.data() + n;
  const double step = 2 * std::numbers::pi / n;
  for (int f = 1; f <= 5; ++f) {
    EXPECT_NEAR(table[2 * f - 2], std::cos(f * step), 1e-15) << "f = " << f;
    EXPECT_NEAR(table[2 * f - 1], std::sin(f * step), 1e-15) << "f = " << f;
  }
  for (int j = 1; j <= 3; ++j) {
    EXPECT_NEAR(table[12 + 3 * (j - 1)], std::cos(2 * j * step), 1e-15) << "block " << j;
    EXPECT_NEAR(table[12 + 3 * (j - 1) + 1], std::sin(2 * j * step), 1e-15) << "block " << j;
  }
}

TEST(Df2trf, OneInitialisedWorkArrayServesManyTransforms) {
  const int n = 180;
  std::vector<double> work(2 * n + 15);
  DFFTRI(n, work.data());
  for (std::uint64_t seed : {1, 2, 3}) {
    const auto x = test_sequence(n, seed);
    std::vector<double> coeff(n);
    DF2TRF(n, x.data(), coeff.data(), work.data());
    EXPECT_EQ(coeff, transform(x)) << "seed " << seed;
  }
}

// The terminal errors stop the process after exactly one line naming the
// routine that raised them.
std::string length_error(const char* routine, int n) {
  return std::string("*** TERMINAL ERROR from ") + routine +
         ".  The length of the sequence N = " + std::to_string(n) + ".  It must be at least 1.\n";
}

TEST(FourierTransformDeathTest, LengthBelowOneStopsNamingTheRoutine) {
  double seq[1] = {1.0};
  double coeff[1] = {0.0};
  double work[32] = {};
  for (int n : {0, -3}) {
    EXPECT_EXIT(
        {
          route_console_to_stderr();
          DFFTRF(n, seq, coeff);
        },
        ::testing::ExitedWithCode(1), ::testing::Eq(length_error("DFFTRF", n)));
    EXPECT_EXIT(
        {
          route_console_to_stderr();
          DFFTRI(n, work);
        },
        ::testing::ExitedWithCode(1), ::testing::Eq(length_error("DFFTRI", n)));
    EXPECT_EXIT(
        {
          route_console_to_stderr();
          DF2TRF(n, seq, coeff, work);
        },
        ::testing::ExitedWithCode(1), ::testing::Eq(length_error("DF2TRF", n)));
  }
}

// 2 * 3^13 has 14 factors, one more than the factor area holds.
TEST(FourierTransformDeathTest, TooManyFactorsStopsInsteadOfOverrunningTheWorkArray) {
  const int n = 2 * 1594323;
  EXPECT_EXIT(
      {
        route_console_to_stderr();
        std::vector<double> work(2 * static_cast<std::size_t>(n) + 15);
        DFFTRI(n, work.data());
      },
      ::testing::ExitedWithCode(1),
      ::testing::Eq("*** TERMINAL ERROR from DFFTRI.  The length of the sequence N = 3188646 has "
                    "more than 13 factors, more than the work array holds.\n"));
}

// The radix passes are built for SSE2, AVX2 and AVX-512 and must give the
// same bits on every path: lengths with every radix at every block length
// from 1 up (the wide butterflies and the one-by-one rest), a large prime (the
// chirp convolution runs through the passes) and the lengths of long records.
TEST(DfftrfPaths, EveryPathGivesTheSameBits) {
  std::vector<std::int32_t> lengths;
  for (std::int32_t n = 2; n <= 130; ++n) lengths.push_back(n);
  for (std::int32_t n : {360, 1000, 1024, 4500, 6561, 15625, 32768, 36000, 32749, 216007}) lengths.push_back(n);
  std::vector<VectorPath> paths;
  for (VectorPath p : {VectorPath::avx2, VectorPath::avx512})
    if (cpu_runs(p)) paths.push_back(p);
  if (paths.empty()) GTEST_SKIP() << "this processor runs only the SSE2 passes";
  for (std::int32_t n : lengths) {
    const std::vector<double> x = test_sequence(n, 1000u + static_cast<std::uint64_t>(n));
    std::vector<double> baseline(n), wide(n);
    ASSERT_TRUE(fft_detail::select_fft_path(VectorPath::sse2));
    DFFTRF(n, x.data(), baseline.data());
    for (VectorPath p : paths) {
      ASSERT_TRUE(fft_detail::select_fft_path(p));
      DFFTRF(n, x.data(), wide.data());
      for (std::int32_t m = 0; m < n; ++m)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(wide[m]), std::bit_cast<std::uint64_t>(baseline[m]))
            << vector_path_name(p) << " n=" << n << " position " << m;
    }
  }
  fft_detail::select_fft_path(VectorPath::automatic);
}

}  // namespace
}  // namespace pelm
