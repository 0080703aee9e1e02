#include "runtime/portable_trig.h"

#include <cmath>
#include <cstdint>

// Only + - * / and exact operations (fabs, fmod, comparisons) below: a call
// to sin or cos here would, in the Windows build, call this file again.

namespace pelm {
namespace {

// hi + lo, |lo| <= ulp(hi) / 2.
struct DoubleDouble {
  double hi;
  double lo;
};

// a + b = s + e exactly, for any ordering of |a| and |b| (Knuth).
DoubleDouble two_sum(double a, double b) {
  const double s = a + b;
  const double b_part = s - a;
  const double e = (a - (s - b_part)) + (b - b_part);
  return {s, e};
}

// a = hi + lo with both halves of at most 26 significant bits (Veltkamp).
DoubleDouble split(double a) {
  constexpr double kSplitter = 0x1p27 + 1.0;
  const double c = kSplitter * a;
  const double hi = c - (c - a);
  return {hi, a - hi};
}

// a * b = p + e exactly while |a * b| stays far from overflow (Dekker). No
// fused multiply-add: the build keeps contraction off, and not every target
// has one.
DoubleDouble two_product(double a, double b) {
  const double p = a * b;
  const DoubleDouble as = split(a);
  const DoubleDouble bs = split(b);
  const double e = (((as.hi * bs.hi - p) + as.hi * bs.lo) + as.lo * bs.hi) + as.lo * bs.lo;
  return {p, e};
}

// (hi + lo) + b, renormalised.
DoubleDouble add(DoubleDouble a, double b) {
  const DoubleDouble s = two_sum(a.hi, b);
  const double lo = s.lo + a.lo;
  const double hi = s.hi + lo;
  return {hi, lo - (hi - s.hi)};
}

// pi/2 as four doubles, each the double nearest to what the earlier ones leave
// of pi/2 (computed with 600-bit arithmetic); their sum is pi/2 to 3e-66.
constexpr double kPiOver2[4] = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54,
                                -0x1.f1976b7ed8fbcp-110, 0x1.4cf98e804177dp-164};
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
// The double just below pi/4: arguments up to it need no reduction.
constexpr double kPiOver4 = 0x1.921fb54442d18p-1;
// From here on n = round(x 2/pi) is no longer computed exactly by kRounder,
// and the argument carries no phase information anyway (see the header).
constexpr double kExactReductionLimit = 0x1p50;
// Adding and subtracting 1.5 * 2^52 rounds a double of magnitude below 2^51
// to the nearest integer in the default rounding mode.
constexpr double kRounder = 0x1.8p52;
// Below this |x|^3 / 6 is under 2^-81 |x|, so sin x rounds to x and cos x to 1.
constexpr double kTinyArgument = 0x1p-27;

// 1/k! rounded to double, with the signs of the sine and cosine series.
// sin: r + r^3 (S3 + z (S5 + ... + z S21)), z = r^2; the first term left out,
// r^23/23!, is below 2^-81 of sin r for |r| <= pi/4.
constexpr double kSin[] = {-0x1.5555555555555p-3,  0x1.1111111111111p-7, -0x1.a01a01a01a01ap-13,
                           0x1.71de3a556c734p-19, -0x1.ae64567f544e4p-26, 0x1.6124613a86d09p-33,
                           -0x1.ae7f3e733b81fp-41, 0x1.952c77030ad4ap-49, -0x1.2f49b46814157p-57,
                           0x1.71b8ef6dcf572p-66};
// cos: 1 - z/2 + z^2 (C4 + z (C6 + ... + z C22)); the first term left out,
// r^24/24!, is below 2^-87 for |r| <= pi/4.
constexpr double kCos[] = {0x1.5555555555555p-5,  -0x1.6c16c16c16c17p-10, 0x1.a01a01a01a01ap-16,
                           -0x1.27e4fb7789f5cp-22, 0x1.1eed8eff8d898p-29, -0x1.93974a8c07c9dp-37,
                           0x1.ae7f3e733b81fp-45, -0x1.6827863b97d97p-53, 0x1.e542ba4020225p-62,
                           -0x1.0ce396db7f853p-70};

template <std::size_t N>
double horner(const double (&coefficients)[N], double z) {
  double p = coefficients[N - 1];
  for (std::size_t i = N - 1; i-- > 0;) p = p * z + coefficients[i];
  return p;
}

// sin(hi + lo) for |hi + lo| <= pi/4 (plus rounding).
double sin_kernel(DoubleDouble r) {
  const double z = r.hi * r.hi;
  // sin(hi + lo) = sin hi + lo cos hi + O(lo^2), and cos hi = 1 - z/2 + ...
  // far more closely than lo needs.
  return r.hi + (r.hi * z * horner(kSin, z) + r.lo * (1.0 - 0.5 * z));
}

// cos(hi + lo) for |hi + lo| <= pi/4 (plus rounding).
double cos_kernel(DoubleDouble r) {
  const double z = r.hi * r.hi;
  const double half_z = 0.5 * z;
  const double w = 1.0 - half_z;
  // (1 - w) - z/2 is what rounding 1 - z/2 lost (up to 2^-55 of the result
  // near pi/4); -lo sin hi is the first-order effect of lo.
  return w + (((1.0 - w) - half_z) + (z * z * horner(kCos, z) - r.hi * r.lo));
}

struct Reduced {
  DoubleDouble r;     // x - n pi/2
  unsigned quadrant;  // n mod 4
};

Reduced reduce(double x) {
  if (std::fabs(x) <= kPiOver4) return {{x, 0.0}, 0};
  // fmod is exact, so this is reproducible; 4 kPiOver2[0] is the double
  // nearest 2 pi.
  if (std::fabs(x) >= kExactReductionLimit) x = std::fmod(x, 4.0 * kPiOver2[0]);

  const double n = (x * kTwoOverPi + kRounder) - kRounder;
  // n pi/2 lies within pi/4 + rounding of x, so for n != 0 the two are within
  // a factor 2 of each other and x - fl(n * part0) is exact (Sterbenz). The
  // remaining products, exact as hi + lo pairs, follow in double-double.
  const DoubleDouble lead = two_product(n, kPiOver2[0]);
  DoubleDouble r = two_sum(x - lead.hi, -lead.lo);
  for (int i = 1; i < 4; ++i) {
    const DoubleDouble product = two_product(n, kPiOver2[i]);
    r = add(r, -product.hi);
    r = add(r, -product.lo);
  }
  const auto quadrant = static_cast<unsigned>(static_cast<std::int64_t>(n) & 3);
  return {r, quadrant};
}

}  // namespace

double portable_sin(double x) {
  if (!std::isfinite(x)) return x - x;
  if (std::fabs(x) < kTinyArgument) return x;
  const Reduced reduced = reduce(x);
  switch (reduced.quadrant) {
    case 0: return sin_kernel(reduced.r);
    case 1: return cos_kernel(reduced.r);
    case 2: return -sin_kernel(reduced.r);
    default: return -cos_kernel(reduced.r);
  }
}

double portable_cos(double x) {
  if (!std::isfinite(x)) return x - x;
  if (std::fabs(x) < kTinyArgument) return 1.0;
  const Reduced reduced = reduce(x);
  switch (reduced.quadrant) {
    case 0: return cos_kernel(reduced.r);
    case 1: return -sin_kernel(reduced.r);
    case 2: return -cos_kernel(reduced.r);
    default: return sin_kernel(reduced.r);
  }
}

void portable_sincos(double x, double& sine, double& cosine) {
  if (!std::isfinite(x) || std::fabs(x) < kTinyArgument) {
    sine = portable_sin(x);
    cosine = portable_cos(x);
    return;
  }
  const Reduced reduced = reduce(x);
  const double s = sin_kernel(reduced.r);
  const double c = cos_kernel(reduced.r);
  switch (reduced.quadrant) {
    case 0: sine = s; cosine = c; break;
    case 1: sine = c; cosine = -s; break;
    case 2: sine = -s; cosine = -c; break;
    default: sine = -c; cosine = s; break;
  }
}

}  // namespace pelm
