#pragma once
// Sine and cosine of the phases of the linear wave components: one argument
// reduction for both, inline, from + - * / alone.
//
// The evaluation of a many-component sea spends most of its time here, and
// the C library's sincos is both slower than this and, on some platforms
// (the 32-bit MinGW runtime's x87 fsin), far less accurate. Written in plain
// double arithmetic, the results are the same bits on every platform with
// IEEE double arithmetic on SSE2.
//
// Method. x = n pi/2 + r with n the integer nearest x 2/pi and |r| <= pi/4
// (up to rounding). pi/2 is carried as P1 + P2 + P3 (33 + 33 + 53 bits, the
// split made with 80-digit arithmetic): n P1 and n P2 are exact for
// |n| < 2^20, and r is kept as an unevaluated sum hi + lo, accurate to about
// 1e-37 absolute. Taylor series to r^17 (sine) and r^18 (cosine) leave a
// truncation error far below an ulp at |r| = pi/4; the results are within
// about 0.6 ulp of the exact values (the C library's are within about 0.52). Beyond |x| = 2^19 pi (about
// 1.6e6 rad, far past any phase of a sea state) the C library is used.

#include <cmath>
#include <cstdint>

namespace pelm {

namespace sine_cosine_detail {

// pi/2 = kP1 + kP2 + kP3 + 1e-37.
constexpr double kP1 = 0x1.921fb54400000p+0;
constexpr double kP2 = 0x1.0b4611a600000p-34;
constexpr double kP3 = 0x1.3198a2e037073p-69;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
// Adding and subtracting 1.5 * 2^52 rounds a double of magnitude below 2^51
// to the nearest integer (ties to even) in the current rounding mode.
constexpr double kRoundingShift = 0x1.8p52;
constexpr double kReductionLimit = 0x1.0p19 * 3.141592653589793;  // |n| < 2^20

// Taylor coefficients (-1)^k / (2k+1)! and (-1)^k / (2k)!, rounded to double.
constexpr double kS3 = -1.0 / 6.0;
constexpr double kS5 = 1.0 / 120.0;
constexpr double kS7 = -1.0 / 5040.0;
constexpr double kS9 = 1.0 / 362880.0;
constexpr double kS11 = -1.0 / 39916800.0;
constexpr double kS13 = 1.0 / 6227020800.0;
constexpr double kS15 = -1.0 / 1307674368000.0;
constexpr double kS17 = 1.0 / 355687428096000.0;
constexpr double kC4 = 1.0 / 24.0;
constexpr double kC6 = -1.0 / 720.0;
constexpr double kC8 = 1.0 / 40320.0;
constexpr double kC10 = -1.0 / 3628800.0;
constexpr double kC12 = 1.0 / 479001600.0;
constexpr double kC14 = -1.0 / 87178291200.0;
constexpr double kC16 = 1.0 / 20922789888000.0;
constexpr double kC18 = -1.0 / 6402373705728000.0;

// sin(hi + lo) for |hi| <= pi/4 and |lo| tiny against hi.
inline double reduced_sine(double hi, double lo) {
  const double z = hi * hi;
  const double p =
      kS3 + z * (kS5 + z * (kS7 + z * (kS9 + z * (kS11 + z * (kS13 + z * (kS15 + z * kS17))))));
  // sin(hi + lo) = sin(hi) + lo cos(hi); lo is below an ulp of hi, so lo alone.
  return hi + (hi * z * p + lo);
}

// cos(hi + lo) for |hi| <= pi/4 and |lo| tiny against hi.
inline double reduced_cosine(double hi, double lo) {
  const double z = hi * hi;
  const double q =
      kC4 + z * (kC6 + z * (kC8 + z * (kC10 + z * (kC12 + z * (kC14 + z * (kC16 + z * kC18))))));
  const double half_z = 0.5 * z;
  const double w = 1.0 - half_z;
  // (1 - w) - half_z is the rounding error of w, exactly.
  return w + (((1.0 - w) - half_z) + (z * z * q - hi * lo));
}

}  // namespace sine_cosine_detail

// sine = sin(x), cosine = cos(x).
inline void sine_cosine(double x, double& sine, double& cosine) {
  using namespace sine_cosine_detail;
  if (!(std::fabs(x) < kReductionLimit)) {
    sine = std::sin(x);
    cosine = std::cos(x);
    return;
  }
  const double n = (x * kTwoOverPi + kRoundingShift) - kRoundingShift;
  // x - n (P1 + P2 + P3) as hi + lo: the first difference and n P2 are exact;
  // their sum is split exactly (two-sum), then n P3 joins the low part.
  const double a = x - n * kP1;
  const double b = -(n * kP2);
  const double s = a + b;
  const double b_virtual = s - a;
  const double error = (a - (s - b_virtual)) + (b - b_virtual);
  const double low = error - n * kP3;
  const double hi = s + low;
  const double lo = (s - hi) + low;

  // Quadrant n mod 4: (sin, cos) = (s, c), (c, -s), (-s, -c), (-c, s). Chosen
  // without branches: the quadrants of successive phases are random.
  const double reduced[2] = {reduced_sine(hi, lo), reduced_cosine(hi, lo)};
  const auto quadrant = static_cast<std::int64_t>(n) & 3;
  const auto swap = quadrant & 1;
  sine = reduced[swap] * static_cast<double>(1 - 2 * ((quadrant >> 1) & 1));
  cosine = reduced[swap ^ 1] * static_cast<double>(1 - 2 * (((quadrant + 1) >> 1) & 1));
}

// sin(x) alone, with the same reduction.
inline double sine(double x) {
  using namespace sine_cosine_detail;
  if (!(std::fabs(x) < kReductionLimit)) return std::sin(x);
  double s = 0.0, c = 0.0;
  sine_cosine(x, s, c);
  return s;
}

}  // namespace pelm
