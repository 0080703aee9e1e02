#include "numerics/fft.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "numerics/fft_cache.h"
#include "numerics/fft_passes.h"
#include "runtime/numeric_errors.h"

// Work array of length n (2n + 15 doubles, 0-based):
//   work[0 .. n-1]         scratch of the passes
//   work[n .. 2n-1]        twiddle table
//   work[2n]               n, as a double
//   work[2n+1]             nf, the number of factors
//   work[2n+2 .. 2n+14]    the factors (at most 13), as doubles
//
// Factors are tried in the order 4, 2, 3, 5, 7, 9, 11, ... and a factor 2 is
// moved to the front, so the even factors come first and every radix-3, 5 or
// general pass sees an odd ido. The passes run from the last factor (ido = 1)
// to the first (l1 = 1); for factor k the table holds ip - 1 blocks of ido
// values, block j holding cos and sin of 2 pi f j l1/n for f = 1 .. (ido-1)/2.

namespace pelm {
namespace {

constexpr int kMaxFactors = kFftMaxFactors;
constexpr std::size_t kFactorAreaSize = 2 + kMaxFactors;
constexpr double kTwoPi = 6.283185307179586;

constexpr const char* kLengthMessage =
    "The length of the sequence N = %(I1).  It must be at least 1.";
constexpr const char* kStorageMessage =
    "The required storage cannot be allocated.  The specified N may be too large, where N = %(I1).";
constexpr const char* kFactorCountMessage =
    "The length of the sequence N = %(I1) has more than %(I2) factors, more than the work array "
    "holds.";

// Copies n values from x to y with element strides incx and incy. A negative
// stride walks the array from its far end, so an overlapping copy towards
// higher addresses is safe with both strides negative.
void strided_copy(std::int32_t n, const double* x, std::int32_t incx, double* y,
                  std::int32_t incy) {
  if (n <= 0) return;
  std::ptrdiff_t ix = incx < 0 ? static_cast<std::ptrdiff_t>(n - 1) * -incx : 0;
  std::ptrdiff_t iy = incy < 0 ? static_cast<std::ptrdiff_t>(n - 1) * -incy : 0;
  for (std::int32_t i = 0; i < n; ++i, ix += incx, iy += incy) y[iy] = x[ix];
}

// DFFTRF keeps the work arrays of its last few lengths (twiddle table and
// factorisation, built once per length, and the scratch), at most 64 MiB of
// them: a length of 2^20 takes 16 MiB.
constexpr std::size_t kLengthCacheBytes = std::size_t{64} << 20;

struct LengthPlan {
  std::unique_ptr<double[]> work;
  std::size_t length = 0;
  std::size_t bytes() const { return length * sizeof(double); }
};

fft_detail::PlanCache<LengthPlan>& length_cache() {
  static fft_detail::PlanCache<LengthPlan> cache(fft_detail::kCachedLengths, kLengthCacheBytes);
  return cache;
}

[[noreturn]] void stop_on_bad_length(const char* routine, std::int32_t n) {
  RoutineName name(routine);
  stop_with_numeric_error(NumericErrorType::terminal, kLengthMessage, n);
}

// Fills the factor area for n >= 2.
void factorise(std::int32_t n, double* factor_area) {
  double* factors = factor_area + 2;
  std::int32_t count = 0;
  std::int32_t remaining = n;
  std::int32_t divisor = 4;
  std::int32_t trial = 0;  // index into 4, 2, 3, 5; later divisors step by 2
  while (remaining > 1) {
    if (remaining % divisor != 0) {
      ++trial;
      divisor = trial == 1 ? 2 : trial == 2 ? 3 : trial == 3 ? 5 : divisor + 2;
      continue;
    }
    if (count == kMaxFactors) {
      RoutineName name("DFFTRI");
      stop_with_numeric_error(NumericErrorType::terminal, kFactorCountMessage, n, kMaxFactors);
    }
    remaining /= divisor;
    factors[count++] = divisor;
    if (divisor == 2 && count > 1) {
      strided_copy(count - 1, factors, -1, factors + 1, -1);
      factors[0] = 2;
    }
  }
  factor_area[0] = n;
  factor_area[1] = count;
}

void fill_twiddles(std::int32_t n, const double* factor_area, double* twiddles) {
  const int count = static_cast<int>(std::lround(factor_area[1]));
  const double argh = kTwoPi / n;
  std::int32_t is = 0;
  std::int32_t l1 = 1;
  for (int k1 = 0; k1 < count - 1; ++k1) {
    const auto ip = static_cast<std::int32_t>(std::lround(factor_area[2 + k1]));
    const std::int32_t l2 = l1 * ip;
    const std::int32_t ido = n / l2;
    std::int32_t ld = 0;
    for (std::int32_t j = 1; j < ip; ++j) {
      ld += l1;
      const double argld = static_cast<double>(ld) * argh;
      for (std::int32_t i = 1; i <= (ido - 1) / 2; ++i) {
        twiddles[is + 2 * i - 2] = std::cos(static_cast<double>(i) * argld);
        twiddles[is + 2 * i - 1] = std::sin(static_cast<double>(i) * argld);
      }
      is += ido;
    }
    l1 = l2;
  }
}

}  // namespace

std::int32_t fft_factor_count(std::int32_t n) {
  // The same trial order as the factorisation: every 4, at most one 2, then
  // the odd primes; a remainder above the square root of what is left is prime.
  std::int32_t count = 0;
  std::int32_t remaining = n;
  for (; remaining > 1 && remaining % 4 == 0; remaining /= 4) ++count;
  if (remaining > 1 && remaining % 2 == 0) {
    remaining /= 2;
    ++count;
  }
  for (std::int32_t divisor = 3; remaining > 1; divisor += 2) {
    if (static_cast<std::int64_t>(divisor) * divisor > remaining) return count + 1;
    for (; remaining % divisor == 0; remaining /= divisor) ++count;
  }
  return count;
}

void DFFTRI(std::int32_t n, double* work) {
  if (n < 1) stop_on_bad_length("DFFTRI", n);
  if (n == 1) return;
  double* factor_area = work + 2 * static_cast<std::ptrdiff_t>(n);
  factorise(n, factor_area);
  fill_twiddles(n, factor_area, work + n);
}

void DF2TRF(std::int32_t n, const double* seq, double* coeff, double* work) {
  if (n < 1) stop_on_bad_length("DF2TRF", n);
  if (n == 1) {
    coeff[0] = seq[0];
    return;
  }

  const double* factor_area = work + 2 * static_cast<std::ptrdiff_t>(n);
  const int count = static_cast<int>(std::lround(factor_area[1]));
  const double* twiddles = work + n;

  // Each pass reads one of coeff and the scratch and writes the other; the
  // first reads seq itself and writes the side from which the last pass ends
  // in coeff, unless seq is coeff, in which case the result may end in the
  // scratch and is copied back.
  const double* source = seq;
  double* destination = count % 2 == 1 && seq != coeff ? coeff : work;
  double* other = destination == coeff ? work : coeff;
  std::int32_t l2 = n;
  std::int32_t offset = n - 1;  // twiddle blocks of all factors before the current one
  for (int k1 = count - 1; k1 >= 0; --k1) {
    const auto ip = static_cast<std::int32_t>(std::lround(factor_area[2 + k1]));
    const std::int32_t l1 = l2 / ip;
    const std::int32_t ido = n / l2;
    offset -= (ip - 1) * ido;
    const double* wa = twiddles + offset;
    switch (ip) {
      case 4:
        fft_detail::forward_pass_4(ido, l1, source, destination, wa, wa + ido, wa + 2 * ido);
        break;
      case 2:
        fft_detail::forward_pass_2(ido, l1, source, destination, wa);
        break;
      case 3:
        fft_detail::forward_pass_3(ido, l1, source, destination, wa, wa + ido);
        break;
      case 5:
        fft_detail::forward_pass_5(ido, l1, source, destination, wa, wa + ido, wa + 2 * ido,
                                   wa + 3 * ido);
        break;
      default:
        fft_detail::forward_pass_odd(ido, ip, l1, source, destination, wa);
        break;
    }
    source = destination;
    std::swap(destination, other);
    l2 = l1;
  }
  if (source != coeff) strided_copy(n, source, 1, coeff, 1);
}

void DFFTRF(std::int32_t n, const double* seq, double* coeff) {
  RoutineName name("DFFTRF");
  if (n < 1) stop_with_numeric_error(NumericErrorType::terminal, kLengthMessage, n);
  if (n == 1) {
    coeff[0] = seq[0];
    return;
  }

  // 2n + 15 counted in 64 bits: it overflows a 32-bit size_t for n near 2^31.
  const std::uint64_t length = 2 * static_cast<std::uint64_t>(n) + kFactorAreaSize;
  if (length > std::numeric_limits<std::size_t>::max() / sizeof(double))
    stop_with_numeric_error(NumericErrorType::terminal, kStorageMessage, n);
  // The chirp transform of a large factor allocates too, inside the passes.
  try {
    LengthPlan& plan = length_cache().get(n, [length](std::int32_t key) {
      auto made = std::make_unique<LengthPlan>();
      made->length = static_cast<std::size_t>(length);
      made->work = std::make_unique_for_overwrite<double[]>(made->length);
      DFFTRI(key, made->work.get());
      return made;
    });
    DF2TRF(n, seq, coeff, plan.work.get());
    length_cache().trim();
    fft_detail::trim_chirp_plans();
    return;
  } catch (const std::bad_alloc&) {
  }
  stop_with_numeric_error(NumericErrorType::terminal, kStorageMessage, n);
}

namespace fft_detail {
bool length_plan_cached(int n) { return length_cache().contains(n); }
}  // namespace fft_detail

}  // namespace pelm
