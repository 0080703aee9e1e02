#include "numerics/fft_passes.h"

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "numerics/fft_chirp.h"
#include "numerics/fft_pass_layout.h"

namespace pelm::fft_detail {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// From this odd factor on, the general pass takes its ip-point DFTs by the
// chirp convolution rather than by direct sums: the direct sums cost about
// ip^2 per column, the convolution four real transforms of a smooth length
// m >= 2 ip - 1. Timed on lengths 729 ip, the two break even between ip = 150
// and 200 (about 3 ms each), and from 199 on the chirp is faster.
constexpr int kChirpMinimumRadix = 180;

// W_L^(j f) * Y_j(f) for the coefficient whose real part sits at position p:
// (cos - i sin)(re + i im).
inline Complex twiddled(const double* wa, int p, double re, double im) {
  const double c = wa[p - 1];
  const double s = wa[p];
  return {c * re + s * im, c * im - s * re};
}

inline Complex input(const Source& cc, int p, int k, int j) {
  return {cc(p, k, j), cc(p + 1, k, j)};
}

}  // namespace

namespace fft_radix_sse2 {
extern const RadixPasses passes;
}
namespace fft_radix_avx2 {
extern const RadixPasses passes;
}
namespace fft_radix_avx512 {
extern const RadixPasses passes;
}

namespace {

VectorPathChoice<RadixPasses> choice(fft_radix_sse2::passes, fft_radix_avx2::passes,
                                     fft_radix_avx512::passes);

const RadixPasses& radix_passes() { return choice.table(); }

}  // namespace

bool select_fft_path(VectorPath path) { return choice.select(path); }

VectorPath active_fft_path() { return choice.path(); }

void forward_pass_2(int ido, int l1, const double* cc, double* ch, const double* wa1) {
  radix_passes().pass2(ido, l1, cc, ch, wa1);
}
void forward_pass_3(int ido, int l1, const double* cc, double* ch, const double* wa1,
                    const double* wa2) {
  radix_passes().pass3(ido, l1, cc, ch, wa1, wa2);
}
void forward_pass_4(int ido, int l1, const double* cc, double* ch, const double* wa1,
                    const double* wa2, const double* wa3) {
  radix_passes().pass4(ido, l1, cc, ch, wa1, wa2, wa3);
}
void forward_pass_5(int ido, int l1, const double* cc, double* ch, const double* wa1,
                    const double* wa2, const double* wa3, const double* wa4) {
  radix_passes().pass5(ido, l1, cc, ch, wa1, wa2, wa3, wa4);
}

namespace {

// cos_sum[q-1] = sum_j a[j-1] cos(2 pi j q/ip) and sin_sum[q-1] = sum_j b[j-1] sin(2 pi j q/ip)
// for j, q = 1 .. h, with roots[2m], roots[2m+1] = cos, sin(2 pi m/ip).
// Block of B consecutive q: B independent sums hide the latency of the adds,
// and j*q mod ip is carried along by one addition and a conditional subtraction.
template <int B>
void root_sums_block(int h, int ip, const double* roots, const double* a, const double* b, int q0,
                     double* cos_sum, double* sin_sum) {
  int m[B];
  double c[B];
  double s[B];
  for (int t = 0; t < B; ++t) {
    m[t] = 0;
    c[t] = 0.0;
    s[t] = 0.0;
  }
  for (int j = 0; j < h; ++j) {
    const double aj = a[j];
    const double bj = b[j];
    for (int t = 0; t < B; ++t) {
      m[t] += q0 + t;
      if (m[t] >= ip) m[t] -= ip;
      c[t] += aj * roots[2 * m[t]];
      s[t] += bj * roots[2 * m[t] + 1];
    }
  }
  for (int t = 0; t < B; ++t) {
    cos_sum[q0 + t - 1] = c[t];
    sin_sum[q0 + t - 1] = s[t];
  }
}

void root_sums(int h, int ip, const double* roots, const double* a, const double* b,
               double* cos_sum, double* sin_sum) {
  int q = 1;
  for (; q + 3 <= h; q += 4) root_sums_block<4>(h, ip, roots, a, b, q, cos_sum, sin_sum);
  for (; q <= h; ++q) root_sums_block<1>(h, ip, roots, a, b, q, cos_sum, sin_sum);
}

}  // namespace

namespace {

// General pass by the chirp transform, column by column.
void forward_pass_odd_chirp(int ido, int ip, int l1, const Source& cc, const Destination& ch,
                            const double* wa) {
  const int h = (ip - 1) / 2;
  ChirpTransform& chirp = cached_chirp_transform(ip);
  std::vector<Complex> t(ip);
  std::vector<Complex> y(ip);
  for (int k = 0; k < l1; ++k) {
    for (int j = 0; j < ip; ++j) t[j] = {cc(0, k, j), 0.0};
    chirp.transform(t.data(), y.data(), h + 1);
    ch(0, 0, k) = y[0].re;
    for (int q = 1; q <= h; ++q) {
      ch(ido - 1, 2 * q - 1, k) = y[q].re;
      ch(0, 2 * q, k) = y[q].im;
    }
  }
  for (int k = 0; k < l1; ++k) {
    for (int p = 1; p < ido - 1; p += 2) {
      const int pc = ido - p - 2;
      t[0] = input(cc, p, k, 0);
      for (int j = 1; j < ip; ++j)
        t[j] = twiddled(wa + (j - 1) * ido, p, cc(p, k, j), cc(p + 1, k, j));
      chirp.transform(t.data(), y.data(), ip);
      ch(p, 0, k) = y[0].re;
      ch(p + 1, 0, k) = y[0].im;
      for (int q = 1; q <= h; ++q) {
        ch(p, 2 * q, k) = y[q].re;
        ch(p + 1, 2 * q, k) = y[q].im;
        ch(pc, 2 * q - 1, k) = y[ip - q].re;
        ch(pc + 1, 2 * q - 1, k) = -y[ip - q].im;
      }
    }
  }
}

}  // namespace

void forward_pass_odd(int ido, int ip, int l1, const double* cc_data, double* ch_data,
                      const double* wa) {
  if (ip >= kChirpMinimumRadix) {
    forward_pass_odd_chirp(ido, ip, l1, Source{cc_data, ido, l1}, Destination{ch_data, ido, ip},
                           wa);
    return;
  }
  const Source cc{cc_data, ido, l1};
  const Destination ch{ch_data, ido, ip};
  const int h = (ip - 1) / 2;

  // The ip-th roots of unity from a table rather than by recurrence: for a
  // large prime ip a rotation recurrence would lose about ip/2 roundings.
  std::vector<double> roots(2 * static_cast<std::size_t>(ip));
  const double angle = kTwoPi / ip;
  for (int m = 0; m < ip; ++m) {
    roots[2 * m] = std::cos(m * angle);
    roots[2 * m + 1] = std::sin(m * angle);
  }

  // Per j = 1 .. h the sums and differences of the pair (j, ip - j), real and
  // imaginary parts, and per q = 1 .. h their weighted sums.
  std::vector<double> scratch(8 * static_cast<std::size_t>(h));
  double* sum_re = scratch.data();
  double* sum_im = sum_re + h;
  double* dif_re = sum_im + h;
  double* dif_im = dif_re + h;
  double* cos_re = dif_im + h;
  double* cos_im = cos_re + h;
  double* sin_re = cos_im + h;
  double* sin_im = sin_re + h;

  // Y(q) = t0 + sum_j [(t_j + t_(ip-j)) cos(2 pi j q/ip) - i (t_j - t_(ip-j)) sin(2 pi j q/ip)]
  // and Y(ip - q) the same with +i.
  for (int k = 0; k < l1; ++k) {
    const double t0 = cc(0, k, 0);
    double total = t0;
    for (int j = 1; j <= h; ++j) {
      sum_re[j - 1] = cc(0, k, j) + cc(0, k, ip - j);
      dif_re[j - 1] = cc(0, k, j) - cc(0, k, ip - j);
      total += sum_re[j - 1];
    }
    ch(0, 0, k) = total;
    root_sums(h, ip, roots.data(), sum_re, dif_re, cos_re, sin_re);
    for (int q = 1; q <= h; ++q) {
      ch(ido - 1, 2 * q - 1, k) = t0 + cos_re[q - 1];
      ch(0, 2 * q, k) = -sin_re[q - 1];
    }
  }
  if (ido == 1) return;

  for (int k = 0; k < l1; ++k) {
    for (int p = 1; p < ido - 1; p += 2) {
      const int pc = ido - p - 2;
      const Complex t0 = input(cc, p, k, 0);
      Complex total = t0;
      for (int j = 1; j <= h; ++j) {
        const Complex tj = twiddled(wa + (j - 1) * ido, p, cc(p, k, j), cc(p + 1, k, j));
        const Complex tm =
            twiddled(wa + (ip - j - 1) * ido, p, cc(p, k, ip - j), cc(p + 1, k, ip - j));
        sum_re[j - 1] = tj.re + tm.re;
        sum_im[j - 1] = tj.im + tm.im;
        dif_re[j - 1] = tj.re - tm.re;
        dif_im[j - 1] = tj.im - tm.im;
        total.re += sum_re[j - 1];
        total.im += sum_im[j - 1];
      }
      ch(p, 0, k) = total.re;
      ch(p + 1, 0, k) = total.im;
      root_sums(h, ip, roots.data(), sum_re, dif_re, cos_re, sin_re);
      root_sums(h, ip, roots.data(), sum_im, dif_im, cos_im, sin_im);
      for (int q = 1; q <= h; ++q) {
        // Y(q) = P - i Q, Y(ip - q) = P + i Q.
        const Complex pq{t0.re + cos_re[q - 1], t0.im + cos_im[q - 1]};
        const Complex qq{sin_re[q - 1], sin_im[q - 1]};
        ch(p, 2 * q, k) = pq.re + qq.im;
        ch(p + 1, 2 * q, k) = pq.im - qq.re;
        ch(pc, 2 * q - 1, k) = pq.re - qq.im;
        ch(pc + 1, 2 * q - 1, k) = -qq.re - pq.im;
      }
    }
  }
}

}  // namespace pelm::fft_detail
