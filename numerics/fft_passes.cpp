#include "numerics/fft_passes.h"

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "numerics/fft_chirp.h"

namespace pelm::fft_detail {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfSqrt2 = 0.7071067811865476;  // cos(pi/4), radix-4 Nyquist column
constexpr double kCos2Pi3 = -0.5;                  // cos(2 pi/3)
constexpr double kSin2Pi3 = 0.8660254037844386;    // sin(2 pi/3)
constexpr double kCos2Pi5 = 0.30901699437494745;   // cos(2 pi/5)
constexpr double kSin2Pi5 = 0.9510565162951535;    // sin(2 pi/5)
constexpr double kCos4Pi5 = -0.8090169943749475;   // cos(4 pi/5)
constexpr double kSin4Pi5 = 0.5877852522924731;    // sin(4 pi/5)

// From this odd factor on, the general pass takes its ip-point DFTs by the
// chirp convolution rather than by direct sums: the direct sums cost about
// ip^2 per column, the convolution four real transforms of a smooth length
// m >= 2 ip - 1. Timed on lengths 729 ip, the two break even between ip = 150
// and 200 (about 3 ms each), and from 199 on the chirp is faster.
constexpr int kChirpMinimumRadix = 180;

// Input blocks cc(i, k, j) and output blocks ch(i, j, k) of one pass.
struct Source {
  const double* data;
  int ido;
  int l1;
  double operator()(int i, int k, int j) const { return data[i + ido * (k + l1 * j)]; }
  const double* at(int i, int k, int j) const { return data + (i + ido * (k + l1 * j)); }
};
struct Destination {
  double* data;
  int ido;
  int ip;
  double& operator()(int i, int j, int k) const { return data[i + ido * (j + ip * k)]; }
};

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

// The inner loops of the radix-2, 3, 4 and 5 passes hold one complex value
// (re, im) in a two-lane vector, an SSE2 register. The lanes are computed
// element by element with the same operations in the same order as the
// scalar formulas in the comments, so the results are those bits; the
// compilers would not vectorise the interleaved forward and mirrored
// backward accesses on their own.
using Pair = double __attribute__((vector_size(16)));

inline Pair load(const double* x) { return Pair{x[0], x[1]}; }
inline void store(double* x, Pair v) {
  x[0] = v[0];
  x[1] = v[1];
}
// The conjugate slot of the mirrored coefficient.
inline void store_conjugate(double* x, Pair v) { store(x, v * Pair{1.0, -1.0}); }
// -i v = (im, -re).
inline Pair times_minus_i(Pair v) { return Pair{v[1], v[0]} * Pair{1.0, -1.0}; }
// (cos - i sin)(re + i im) = (c re + s im, c im - s re), from the table pair (c, s).
inline Pair twiddle(const double* w, Pair v) {
  return Pair{w[0], w[0]} * v + Pair{w[1], -w[1]} * Pair{v[1], v[0]};
}

}  // namespace

void forward_pass_2(int ido, int l1, const double* cc_data, double* ch_data, const double* wa1) {
  const Source cc{cc_data, ido, l1};
  const Destination ch{ch_data, ido, 2};
  for (int k = 0; k < l1; ++k) {
    ch(0, 0, k) = cc(0, k, 0) + cc(0, k, 1);
    ch(ido - 1, 1, k) = cc(0, k, 0) - cc(0, k, 1);
  }
  if (ido < 2) return;
  if (ido > 2) {
    const int half = (ido - 1) / 2;
    for (int k = 0; k < l1; ++k) {
      // p = 2i + 1 forwards; its conjugate slot pc = ido - 3 - 2i backwards.
      const double* a0 = cc.at(1, k, 0);
      const double* a1 = cc.at(1, k, 1);
      double* y0 = &ch(1, 0, k);
      double* y1 = &ch(ido - 3, 1, k);
      for (int i = 0; i < half; ++i) {
        const Pair t0 = load(a0 + 2 * i);
        const Pair t1 = twiddle(wa1 + 2 * i, load(a1 + 2 * i));
        store(y0 + 2 * i, t0 + t1);
        store_conjugate(y1 - 2 * i, t0 - t1);
      }
    }
  }
  if (ido % 2 == 0) {
    // Nyquist column of the halves: W_L^(ido/2) = -i.
    for (int k = 0; k < l1; ++k) {
      ch(0, 1, k) = -cc(ido - 1, k, 1);
      ch(ido - 1, 0, k) = cc(ido - 1, k, 0);
    }
  }
}

void forward_pass_3(int ido, int l1, const double* cc_data, double* ch_data, const double* wa1,
                    const double* wa2) {
  const Source cc{cc_data, ido, l1};
  const Destination ch{ch_data, ido, 3};
  for (int k = 0; k < l1; ++k) {
    const double sum = cc(0, k, 1) + cc(0, k, 2);
    ch(0, 0, k) = cc(0, k, 0) + sum;
    ch(0, 2, k) = kSin2Pi3 * (cc(0, k, 2) - cc(0, k, 1));
    ch(ido - 1, 1, k) = cc(0, k, 0) + kCos2Pi3 * sum;
  }
  if (ido == 1) return;
  const int half = (ido - 1) / 2;
  for (int k = 0; k < l1; ++k) {
    const double* a0 = cc.at(1, k, 0);
    const double* a1 = cc.at(1, k, 1);
    const double* a2 = cc.at(1, k, 2);
    double* y0 = &ch(1, 0, k);
    double* y1 = &ch(ido - 3, 1, k);
    double* y2 = &ch(1, 2, k);
    for (int i = 0; i < half; ++i) {
      const Pair t0 = load(a0 + 2 * i);
      const Pair t1 = twiddle(wa1 + 2 * i, load(a1 + 2 * i));
      const Pair t2 = twiddle(wa2 + 2 * i, load(a2 + 2 * i));
      const Pair sum = t1 + t2;
      store(y0 + 2 * i, t0 + sum);
      // Y(q = 1, 2) = u -/+ i sin(2 pi/3) (t1 - t2), u = t0 + cos(2 pi/3) (t1 + t2).
      const Pair u = t0 + kCos2Pi3 * sum;
      const Pair v = kSin2Pi3 * times_minus_i(t1 - t2);
      store(y2 + 2 * i, u + v);
      store_conjugate(y1 - 2 * i, u - v);
    }
  }
}

void forward_pass_4(int ido, int l1, const double* cc_data, double* ch_data, const double* wa1,
                    const double* wa2, const double* wa3) {
  const Source cc{cc_data, ido, l1};
  const Destination ch{ch_data, ido, 4};
  for (int k = 0; k < l1; ++k) {
    const double sum02 = cc(0, k, 0) + cc(0, k, 2);
    const double sum13 = cc(0, k, 1) + cc(0, k, 3);
    ch(0, 0, k) = sum02 + sum13;
    ch(ido - 1, 3, k) = sum02 - sum13;
    ch(ido - 1, 1, k) = cc(0, k, 0) - cc(0, k, 2);
    ch(0, 2, k) = cc(0, k, 3) - cc(0, k, 1);
  }
  if (ido < 2) return;
  if (ido > 2) {
    const int half = (ido - 1) / 2;
    for (int k = 0; k < l1; ++k) {
      const double* a0 = cc.at(1, k, 0);
      const double* a1 = cc.at(1, k, 1);
      const double* a2 = cc.at(1, k, 2);
      const double* a3 = cc.at(1, k, 3);
      double* y0 = &ch(1, 0, k);
      double* y1 = &ch(ido - 3, 1, k);
      double* y2 = &ch(1, 2, k);
      double* y3 = &ch(ido - 3, 3, k);
      for (int i = 0; i < half; ++i) {
        const Pair t0 = load(a0 + 2 * i);
        const Pair t1 = twiddle(wa1 + 2 * i, load(a1 + 2 * i));
        const Pair t2 = twiddle(wa2 + 2 * i, load(a2 + 2 * i));
        const Pair t3 = twiddle(wa3 + 2 * i, load(a3 + 2 * i));
        const Pair sum02 = t0 + t2;
        const Pair dif02 = t0 - t2;
        const Pair sum13 = t1 + t3;
        const Pair dif13 = times_minus_i(t1 - t3);
        // Y(0) = s02 + s13, Y(1) = d02 - i d13, Y(2) = s02 - s13, Y(3) = d02 + i d13.
        store(y0 + 2 * i, sum02 + sum13);
        store(y2 + 2 * i, dif02 + dif13);
        store_conjugate(y3 - 2 * i, sum02 - sum13);
        store_conjugate(y1 - 2 * i, dif02 - dif13);
      }
    }
  }
  if (ido % 2 == 0) {
    // Nyquist column: the inputs are real and W_L^(j ido/2) = exp(-i pi j/4).
    for (int k = 0; k < l1; ++k) {
      const double y0 = cc(ido - 1, k, 0);
      const double y1 = cc(ido - 1, k, 1);
      const double y2 = cc(ido - 1, k, 2);
      const double y3 = cc(ido - 1, k, 3);
      const double re = kHalfSqrt2 * (y1 - y3);
      const double im = -kHalfSqrt2 * (y1 + y3);
      ch(ido - 1, 0, k) = y0 + re;
      ch(ido - 1, 2, k) = y0 - re;
      ch(0, 1, k) = im - y2;
      ch(0, 3, k) = im + y2;
    }
  }
}

void forward_pass_5(int ido, int l1, const double* cc_data, double* ch_data, const double* wa1,
                    const double* wa2, const double* wa3, const double* wa4) {
  const Source cc{cc_data, ido, l1};
  const Destination ch{ch_data, ido, 5};
  for (int k = 0; k < l1; ++k) {
    const double t0 = cc(0, k, 0);
    const double sum14 = cc(0, k, 1) + cc(0, k, 4);
    const double dif41 = cc(0, k, 4) - cc(0, k, 1);
    const double sum23 = cc(0, k, 2) + cc(0, k, 3);
    const double dif32 = cc(0, k, 3) - cc(0, k, 2);
    ch(0, 0, k) = t0 + sum14 + sum23;
    ch(ido - 1, 1, k) = t0 + kCos2Pi5 * sum14 + kCos4Pi5 * sum23;
    ch(0, 2, k) = kSin2Pi5 * dif41 + kSin4Pi5 * dif32;
    ch(ido - 1, 3, k) = t0 + kCos4Pi5 * sum14 + kCos2Pi5 * sum23;
    ch(0, 4, k) = kSin4Pi5 * dif41 - kSin2Pi5 * dif32;
  }
  if (ido == 1) return;
  const int half = (ido - 1) / 2;
  for (int k = 0; k < l1; ++k) {
    const double* a0 = cc.at(1, k, 0);
    const double* a1 = cc.at(1, k, 1);
    const double* a2 = cc.at(1, k, 2);
    const double* a3 = cc.at(1, k, 3);
    const double* a4 = cc.at(1, k, 4);
    double* y0 = &ch(1, 0, k);
    double* y1 = &ch(ido - 3, 1, k);
    double* y2 = &ch(1, 2, k);
    double* y3 = &ch(ido - 3, 3, k);
    double* y4 = &ch(1, 4, k);
    for (int i = 0; i < half; ++i) {
      const Pair t0 = load(a0 + 2 * i);
      const Pair t1 = twiddle(wa1 + 2 * i, load(a1 + 2 * i));
      const Pair t2 = twiddle(wa2 + 2 * i, load(a2 + 2 * i));
      const Pair t3 = twiddle(wa3 + 2 * i, load(a3 + 2 * i));
      const Pair t4 = twiddle(wa4 + 2 * i, load(a4 + 2 * i));
      const Pair sum14 = t1 + t4;
      const Pair dif14 = t1 - t4;
      const Pair sum23 = t2 + t3;
      const Pair dif23 = t2 - t3;
      store(y0 + 2 * i, t0 + sum14 + sum23);
      // Y(q) = P - i Q and Y(5 - q) = P + i Q with, for q = 1 and 2,
      // P = t0 + cos(2 pi q/5)(t1 + t4) + cos(4 pi q/5)(t2 + t3),
      // Q = sin(2 pi q/5)(t1 - t4) + sin(4 pi q/5)(t2 - t3).
      const Pair p1 = t0 + kCos2Pi5 * sum14 + kCos4Pi5 * sum23;
      const Pair q1 = times_minus_i(kSin2Pi5 * dif14 + kSin4Pi5 * dif23);
      const Pair p2 = t0 + kCos4Pi5 * sum14 + kCos2Pi5 * sum23;
      const Pair q2 = times_minus_i(kSin4Pi5 * dif14 - kSin2Pi5 * dif23);
      store(y2 + 2 * i, p1 + q1);
      store_conjugate(y1 - 2 * i, p1 - q1);
      store(y4 + 2 * i, p2 + q2);
      store_conjugate(y3 - 2 * i, p2 - q2);
    }
  }
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
