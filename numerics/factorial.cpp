#include "numerics/factorial.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <limits>

#include "runtime/numeric_errors.h"

namespace pelm {
namespace {

// 0! .. 25!, each the exact integer rounded to single precision by the
// compiler (the literals are the exact factorials).
constexpr std::array<float, 26> kFactorialTable = {
    1.0f,
    1.0f,
    2.0f,
    6.0f,
    24.0f,
    120.0f,
    720.0f,
    5040.0f,
    40320.0f,
    362880.0f,
    3628800.0f,
    39916800.0f,
    479001600.0f,
    6227020800.0f,
    87178291200.0f,
    1307674368000.0f,
    20922789888000.0f,
    355687428096000.0f,
    6402373705728000.0f,
    121645100408832000.0f,
    2432902008176640000.0f,
    51090942171709440000.0f,
    1124000727777607680000.0f,
    25852016738884976640000.0f,
    620448401733239439360000.0f,
    15511210043330985984000000.0f,
};

// ln sqrt(2 pi), single precision.
constexpr float kLnSqrtTwoPi = 0.9189385f;

// Largest n with n! below the single-precision overflow limit: the integer
// part of xmax - 1, where xmax is the largest x whose Gamma(x) is still a
// finite float (ln Gamma(xmax) = ln FLT_MAX, xmax ~ 35.04, so nmax = 34).
// Found once by bisection: ln Gamma increases on [2, 64] and passes
// ln FLT_MAX ~ 88.72 inside it.
int largest_factorial_argument() {
  const double log_float_max = std::log(static_cast<double>(FLT_MAX));
  double below = 2.0;
  double above = 64.0;
  for (int step = 0; step < 100 && above - below > 1e-12; ++step) {
    const double middle = 0.5 * (below + above);
    (std::lgamma(middle) <= log_float_max ? below : above) = middle;
  }
  return static_cast<int>(below - 1.0);
}

// Remainder of Stirling's series, ln Gamma(x) - [(x - 1/2) ln x - x + ln sqrt(2 pi)],
// for x >= 27. The next term, 1/(1680 x^7) < 1e-13, is far below the
// single-precision rounding of the ~90-sized exponent it is added to.
float stirling_remainder(float x) {
  const float z = 1.0f / (x * x);
  return (1.0f / 12.0f - z * (1.0f / 360.0f - z * (1.0f / 1260.0f))) / x;
}

}  // namespace

float FAC(std::int32_t n) {
  static const int nmax = largest_factorial_argument();
  if (n < 0) {
    RoutineName name("fac");
    report_numeric_error(NumericErrorType::terminal,
                         "The factorial of a negative integer is undefined. N = %(I1).", n);
    return std::numeric_limits<float>::quiet_NaN();
  }
  if (n < static_cast<std::int32_t>(kFactorialTable.size())) return kFactorialTable[n];
  if (n > nmax) {
    RoutineName name("fac");
    report_numeric_error(NumericErrorType::fatal,
                         "The factorial of the argument is so large it would overflow. N = %(I1). "
                         "It must be less than %(I2).",
                         n, nmax);
    return std::numeric_limits<float>::quiet_NaN();
  }
  // n! = Gamma(n + 1) by Stirling's series, every step rounded to single
  // precision, summed in the order (x - 1/2) ln x - x + ln sqrt(2 pi) + c(x).
  const float x = static_cast<float>(n + 1);
  float log_gamma = (x - 0.5f) * std::log(x);
  log_gamma = log_gamma - x;
  log_gamma = log_gamma + kLnSqrtTwoPi;
  log_gamma = log_gamma + stirling_remainder(x);
  return std::exp(log_gamma);
}

}  // namespace pelm
