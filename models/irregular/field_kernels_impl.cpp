// The vector kernels of the linear field. This one source is compiled once
// per instruction set (see CMakeLists.txt): for the x86 baseline, SSE2 with
// two doubles per vector; with -mavx2 -mfma, four doubles per vector and
// fused multiply-adds; with AVX-512 (F and DQ), eight. The compiler flags
// alone decide the width; the namespace carries the path's name so that the
// builds link side by side.
//
// Nothing here branches per component. sin, cos and exp are our own, written
// in + - * / (and fma on the FMA paths) on whole vectors: the results are
// the same bits wherever the path runs (Linux, the Windows DLL).
//
// Sine and cosine: the quadrant reduction of numerics/sine_cosine.h with
// minimax polynomials (see sin_cos below), good to an ulp or so for
// |x| < 2^19 pi (about 1.6e6 rad). When a bound on the phases of a query
// allows one beyond that (or not finite), those phases are recomputed after
// the loop by the scalar routine.
//
// Exponential, for arguments in [-inf, small positive]: x = n ln2 + r,
// |r| <= ln2/2, ln2 in two parts (n L1 exact for |n| < 2^11), a polynomial
// of degree 11 (within 2e-17 relative of exp r before rounding), scaled by
// 2^n built in the exponent bits. Below -708, where 2^n would leave the
// normal range, the lanes are flagged and the caller takes 0: a depth
// factor under 1e-307 is nothing against the others.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "models/irregular/field_kernels.h"
#include "numerics/sine_cosine.h"

#include <immintrin.h>

#if defined(__AVX512F__) && defined(__AVX512DQ__) && defined(__FMA__)
#define PELM_KERNEL_NAMESPACE field_kernels_avx512
#define PELM_KERNEL_NAME "avx512"
#define PELM_VECTOR_BYTES 64
#elif defined(__AVX2__) && defined(__FMA__)
#define PELM_KERNEL_NAMESPACE field_kernels_avx2
#define PELM_KERNEL_NAME "avx2"
#define PELM_VECTOR_BYTES 32
#else
#define PELM_KERNEL_NAMESPACE field_kernels_sse2
#define PELM_KERNEL_NAME "sse2"
#define PELM_VECTOR_BYTES 16
#endif

namespace pelm::PELM_KERNEL_NAMESPACE {
namespace {

typedef double Vd __attribute__((vector_size(PELM_VECTOR_BYTES)));
// Bit patterns and lane masks (all ones or all zeros), unsigned so that the
// shifts and wrap-around are defined.
typedef std::uint64_t Vi __attribute__((vector_size(PELM_VECTOR_BYTES)));
constexpr std::size_t kLanes = PELM_VECTOR_BYTES / sizeof(double);
static_assert(kFieldPadding % kLanes == 0, "the padding must hold whole vectors");

inline Vd splat(double s) {
  Vd v;
  for (std::size_t i = 0; i < kLanes; ++i) v[i] = s;
  return v;
}
inline Vi splat_int(std::uint64_t s) {
  Vi v;
  for (std::size_t i = 0; i < kLanes; ++i) v[i] = s;
  return v;
}
inline Vd load(const double* p) {
  Vd v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void store(double* p, Vd v) { std::memcpy(p, &v, sizeof v); }
inline Vi bits(Vd v) { return (Vi)v; }
inline Vd from_bits(Vi v) { return (Vd)v; }
// The comparisons give signed lanes of all ones or zeros.
template <typename Compared>
inline Vi mask(Compared m) {
  return (Vi)m;
}
// mask lanes are all ones or all zeros
[[maybe_unused]] inline Vd select(Vi lanes, Vd if_set, Vd if_clear) {
  return from_bits((lanes & bits(if_set)) | (~lanes & bits(if_clear)));
}

// if_set where the lane's sign bit is set, if_clear elsewhere.
inline Vd select_by_sign(Vi lanes, Vd if_set, Vd if_clear) {
#if PELM_VECTOR_BYTES == 64
  return (Vd)_mm512_mask_blend_pd(_mm512_movepi64_mask((__m512i)lanes), (__m512d)if_clear, (__m512d)if_set);
#elif defined(__AVX__)
  return (Vd)_mm256_blendv_pd((__m256d)if_clear, (__m256d)if_set, (__m256d)lanes);
#else
  return select(-(lanes >> 63), if_set, if_clear);
#endif
}

// a b + c, fused on the FMA path.
inline Vd max(Vd a, Vd b) {
#if PELM_VECTOR_BYTES == 64
  // (_mm512_max_pd trips GCC 12's uninitialised-value warning.)
  return select(mask(a < b), b, a);
#elif defined(__AVX__)
  return (Vd)_mm256_max_pd((__m256d)a, (__m256d)b);
#else
  return (Vd)_mm_max_pd((__m128d)a, (__m128d)b);
#endif
}

inline Vd mul_add(Vd a, Vd b, Vd c) {
#if PELM_VECTOR_BYTES == 64
  return (Vd)_mm512_fmadd_pd((__m512d)a, (__m512d)b, (__m512d)c);
#elif defined(__FMA__)
  return (Vd)_mm256_fmadd_pd((__m256d)a, (__m256d)b, (__m256d)c);
#else
  return a * b + c;
#endif
}

// Lanes added in a fixed order.
inline double lane_sum(Vd v) {
  double s = v[0];
  for (std::size_t i = 1; i < kLanes; ++i) s += v[i];
  return s;
}

// Minimax polynomials of sin and cos on [-pi/4, pi/4] (the published
// coefficients of fdlibm's kernels): sin r = r + r^3 (S1 + S2 z + ... + S6 z^5)
// and cos r = 1 - z/2 + z^2 (C1 + C2 z + ... + C6 z^5), z = r^2, both within
// 2^-58 of the function before rounding.
constexpr double kSin1 = -1.66666666666666324348e-01;
constexpr double kSin2 = 8.33333333332248946124e-03;
constexpr double kSin3 = -1.98412698298579493134e-04;
constexpr double kSin4 = 2.75573137070700676789e-06;
constexpr double kSin5 = -2.50507602534068634195e-08;
constexpr double kSin6 = 1.58969099521155010221e-10;
constexpr double kCos1 = 4.16666666666666019037e-02;
constexpr double kCos2 = -1.38888888888741095749e-03;
constexpr double kCos3 = 2.48015872894767294178e-05;
constexpr double kCos4 = -2.75573143513906633035e-07;
constexpr double kCos5 = 2.08757232129817482790e-09;
constexpr double kCos6 = -1.13596475577881948265e-11;

#if defined(__FMA__)
// pi/2 = kHalfPiHigh + kHalfPiLow + 1e-33: the double nearest pi/2 and the
// double nearest the rest.
constexpr double kHalfPiHigh = 0x1.921fb54442d18p+0;
constexpr double kHalfPiLow = 0x1.1a62633145c07p-54;
#endif

// sin and cos of x for |x| < kReductionLimit, within an ulp or so of the
// exact values: the reduction and polynomials of the scalar sine_cosine,
// with the reduced argument carried as one double. n kP1 and n kP2 are exact
// (33-bit pieces of pi/2, |n| < 2^20) and so is x - n kP1; the two later
// steps round once each, far below an ulp of the result.
inline void sin_cos(Vd x, Vd& s, Vd& c) {
  using namespace sine_cosine_detail;
  const Vd shifted = mul_add(x, splat(kTwoOverPi), splat(kRoundingShift));
  const Vd n = shifted - splat(kRoundingShift);
#if defined(__FMA__)
  // With fused products, x - n P1 with P1 = pi/2 to 53 bits rounds once, at
  // the size of the result, and the second term takes the rest of pi/2.
  const Vd hi = mul_add(-n, splat(kHalfPiLow), mul_add(-n, splat(kHalfPiHigh), x));
#else
  const Vd hi = mul_add(-n, splat(kP3), mul_add(-n, splat(kP2), mul_add(-n, splat(kP1), x)));
#endif

  const Vd z = hi * hi;
  Vd p = mul_add(z, splat(kSin6), splat(kSin5));
  p = mul_add(z, p, splat(kSin4));
  p = mul_add(z, p, splat(kSin3));
  p = mul_add(z, p, splat(kSin2));
  p = mul_add(z, p, splat(kSin1));
  Vd q = mul_add(z, splat(kCos6), splat(kCos5));
  q = mul_add(z, q, splat(kCos4));
  q = mul_add(z, q, splat(kCos3));
  q = mul_add(z, q, splat(kCos2));
  q = mul_add(z, q, splat(kCos1));
  const Vd rs = mul_add(hi * z, p, hi);
  const Vd rc = mul_add(z * z, q, mul_add(z, splat(-0.5), splat(1.0)));

  // n mod 4 sits in the low bits of the shifted value (1.5 2^52 + n):
  // quadrants 1 and 3 swap sine and cosine (bit 0), 2 and 3 negate the sine
  // (bit 1), 1 and 2 the cosine (bit 0 xor bit 1).
  const Vi quadrant = bits(shifted);
  const Vi swap = quadrant << 63;
  const Vi sine_sign = (quadrant << 62) & splat_int(std::uint64_t{1} << 63);
  const Vi cosine_sign = sine_sign ^ swap;
  s = from_bits(bits(select_by_sign(swap, rc, rs)) ^ sine_sign);
  c = from_bits(bits(select_by_sign(swap, rs, rc)) ^ cosine_sign);
}

constexpr double kLog2E = 0x1.71547652b82fep0;
// ln 2 = kLn2High + kLn2Low, the high part with 11 trailing zero bits.
constexpr double kLn2High = 0x1.62e42fefa3800p-1;
constexpr double kLn2Low = 0x1.ef35793c76730p-45;
constexpr double kExpLowest = -708.0;

// exp(x) for x <= about 0 where x >= kExpLowest; where x < kExpLowest the
// lanes of `underflow` are set and the value is that at kExpLowest.
inline Vd exp_nonpositive(Vd x, Vi& underflow) {
  underflow = mask(x < splat(kExpLowest));
  x = max(x, splat(kExpLowest));
  const Vd shifted = mul_add(x, splat(kLog2E), splat(sine_cosine_detail::kRoundingShift));
  const Vd n = shifted - splat(sine_cosine_detail::kRoundingShift);
  const Vd r = mul_add(-n, splat(kLn2Low), mul_add(-n, splat(kLn2High), x));
  // exp r = 1 + r + r^2 q(r), q a polynomial of degree 9 fitted on
  // [-ln2/2, ln2/2] (Chebyshev interpolation, to 2e-17 relative).
  Vd p = mul_add(r, splat(0x1.af355ba1ace7ap-26), splat(0x1.289184360f979p-22));
  p = mul_add(r, p, splat(0x1.71de0f7c1cc8cp-19));
  p = mul_add(r, p, splat(0x1.a019b90d3feb4p-16));
  p = mul_add(r, p, splat(0x1.a01a01a71b45ep-13));
  p = mul_add(r, p, splat(0x1.6c16c1788c243p-10));
  p = mul_add(r, p, splat(0x1.1111111110b23p-7));
  p = mul_add(r, p, splat(0x1.5555555553d61p-5));
  p = mul_add(r, p, splat(0x1.5555555555555p-3));
  p = mul_add(r, p, splat(0x1.0000000000001p-1));
  p = mul_add(r, p, splat(1.0));
  p = mul_add(r, p, splat(1.0));
  // n in the low bits of the shifted value; 2^n = (n + 1023) << 52.
  const Vi n_bits = bits(shifted) - bits(splat(sine_cosine_detail::kRoundingShift));
  return p * from_bits((n_bits + splat_int(1023)) << 52);
}

// The phase of component i at (t, x, y), as the vector loop forms it.
inline double phase_of(const LinearFieldArrays& f, std::size_t i, double t, double x, double y) {
#if defined(__FMA__)
  return std::fma(f.omega[i], t, f.phase[i]) - std::fma(f.k_y[i], y, f.k_x[i] * x);
#else
  return (f.omega[i] * t + f.phase[i]) - (f.k_y[i] * y + f.k_x[i] * x);
#endif
}

double phases(const LinearFieldArrays& f, double t, double x, double y, double* sin_out,
              double* cos_out) {
  const Vd vt = splat(t), vx = splat(x), vy = splat(y);
  // The arrays by plain pointers: the stores could otherwise alias the
  // vectors' own bookkeeping, and every pass would reload it.
  const double* omega = f.omega.data();
  const double* phase = f.phase.data();
  const double* k_x = f.k_x.data();
  const double* k_y = f.k_y.data();
  const double* amplitude = f.amplitude.data();
  const std::size_t padded = f.padded;
  Vd eta = splat(0.0);
  for (std::size_t i = 0; i < padded; i += kLanes) {
    const Vd alpha = mul_add(load(&omega[i]), vt, load(&phase[i])) -
                     mul_add(load(&k_y[i]), vy, load(&k_x[i]) * vx);
    Vd s, c;
    sin_cos(alpha, s, c);
    store(&sin_out[i], s);
    store(&cos_out[i], c);
    eta = mul_add(load(&amplitude[i]), s, eta);
  }
  // A bound on every |alpha| (the factor 2 covers its rounding) decides
  // whether any phase may lie beyond the exact reduction: only for windows
  // of days, or a query far away. Those phases again in scalar arithmetic,
  // by the same formula, then the sum again in the same lane order.
  const double bound = f.omega_max * std::fabs(t) + f.k_max * (std::fabs(x) + std::fabs(y)) + f.phase_max;
  if (2.0 * bound < sine_cosine_detail::kReductionLimit) return lane_sum(eta);
  for (std::size_t i = 0; i < f.padded; ++i) {
    const double alpha = phase_of(f, i, t, x, y);
    if (!(std::fabs(alpha) < sine_cosine_detail::kReductionLimit))
      sine_cosine(alpha, sin_out[i], cos_out[i]);
  }
  eta = splat(0.0);
  for (std::size_t i = 0; i < f.padded; i += kLanes)
    eta = mul_add(load(&f.amplitude[i]), load(&sin_out[i]), eta);
  return lane_sum(eta);
}

void write_sums(const Vd (&sum)[7], double* out7) {
  for (int q = 0; q < 7; ++q) out7[q] = lane_sum(sum[q]);
}

void kinematics(const LinearFieldArrays& f, const double* sin_a, const double* cos_a,
                double below_surface, double* out7) {
  const Vd below = splat(below_surface);
  Vd sum[7];
  for (Vd& v : sum) v = splat(0.0);
  for (std::size_t i = 0; i < f.padded; i += kLanes) {
    // Q = exp(k (zs - h)), M = r^2 / Q.
    // Where Q underflows, M = r^2 / Q <= Q does too: both are 0 there.
    Vi underflow;
    const Vd q_kept = exp_nonpositive(load(&f.k[i]) * below, underflow);
    const Vd q = from_bits(~underflow & bits(q_kept));
    const Vd m = from_bits(~underflow & bits(load(&f.r_squared[i]) / q_kept));
    const Vd cz = q + m;
    const Vd sz = q - m;
    const Vd s = load(&sin_a[i]);
    const Vd c = load(&cos_a[i]);
    const Vd cz_s = cz * s;
    const Vd cz_c = cz * c;
    sum[0] = mul_add(load(&f.velocity_x[i]), cz_s, sum[0]);
    sum[1] = mul_add(load(&f.velocity_y[i]), cz_s, sum[1]);
    sum[2] = mul_add(load(&f.velocity_factor[i]), sz * c, sum[2]);
    sum[3] = mul_add(load(&f.acceleration_x[i]), cz_c, sum[3]);
    sum[4] = mul_add(load(&f.acceleration_y[i]), cz_c, sum[4]);
    sum[5] = mul_add(load(&f.acceleration_factor[i]), sz * s, sum[5]);  // -a_z
    sum[6] = mul_add(load(&f.pressure_factor[i]), cz_s, sum[6]);
  }
  write_sums(sum, out7);
  out7[5] = -out7[5];
}

void level_sums(const LinearFieldArrays& f, const double* sin_a, const double* cos_a,
                const LevelFactors& level, double* out7) {
  Vd sum[7];
  for (Vd& v : sum) v = splat(0.0);
  for (std::size_t i = 0; i < f.padded; i += kLanes) {
    const Vd s = load(&sin_a[i]);
    const Vd c = load(&cos_a[i]);
    const Vd cd = load(&f.cos_dir[i]);
    const Vd sd = load(&f.sin_dir[i]);
    const Vd uh = load(&level.u[i]) * s;
    sum[0] = mul_add(uh, cd, sum[0]);
    sum[1] = mul_add(uh, sd, sum[1]);
    sum[2] = mul_add(load(&level.w[i]), c, sum[2]);
    const Vd ah = load(&level.a[i]) * c;
    sum[3] = mul_add(ah, cd, sum[3]);
    sum[4] = mul_add(ah, sd, sum[4]);
    sum[5] = mul_add(-load(&level.az[i]), s, sum[5]);
    sum[6] = mul_add(load(&level.p[i]), s, sum[6]);
  }
  write_sums(sum, out7);
}

}  // namespace

extern const FieldKernels kernels;
const FieldKernels kernels = {PELM_KERNEL_NAME, phases, kinematics, level_sums};

}  // namespace pelm::PELM_KERNEL_NAMESPACE
