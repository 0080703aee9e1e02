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
// ip^2 per column, the convolution a few m log m with m >= 2 ip - 1. Timed
// per transform of a prime length, the two break even between 307 (direct
// 23 us, chirp 28 us) and 401 (direct 35 us, chirp 29 us).
constexpr int kChirpMinimumRadix = 360;

// Input blocks cc(i, k, j) and output blocks ch(i, j, k) of one pass.
struct Source {
  const double* data;
  int ido;
  int l1;
  double operator()(int i, int k, int j) const { return data[i + ido * (k + l1 * j)]; }
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
    for (int k = 0; k < l1; ++k) {
      for (int p = 1; p < ido - 1; p += 2) {
        const int pc = ido - p - 2;
        const Complex t0 = input(cc, p, k, 0);
        const Complex t1 = twiddled(wa1, p, cc(p, k, 1), cc(p + 1, k, 1));
        ch(p, 0, k) = t0.re + t1.re;
        ch(p + 1, 0, k) = t0.im + t1.im;
        ch(pc, 1, k) = t0.re - t1.re;
        ch(pc + 1, 1, k) = t1.im - t0.im;
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
  for (int k = 0; k < l1; ++k) {
    for (int p = 1; p < ido - 1; p += 2) {
      const int pc = ido - p - 2;
      const Complex t0 = input(cc, p, k, 0);
      const Complex t1 = twiddled(wa1, p, cc(p, k, 1), cc(p + 1, k, 1));
      const Complex t2 = twiddled(wa2, p, cc(p, k, 2), cc(p + 1, k, 2));
      const Complex sum{t1.re + t2.re, t1.im + t2.im};
      ch(p, 0, k) = t0.re + sum.re;
      ch(p + 1, 0, k) = t0.im + sum.im;
      // Y(q = 1, 2) = u -/+ i sin(2 pi/3) (t1 - t2), u = t0 + cos(2 pi/3) (t1 + t2).
      const Complex u{t0.re + kCos2Pi3 * sum.re, t0.im + kCos2Pi3 * sum.im};
      const Complex v{kSin2Pi3 * (t1.im - t2.im), kSin2Pi3 * (t2.re - t1.re)};
      ch(p, 2, k) = u.re + v.re;
      ch(p + 1, 2, k) = u.im + v.im;
      ch(pc, 1, k) = u.re - v.re;
      ch(pc + 1, 1, k) = v.im - u.im;
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
    for (int k = 0; k < l1; ++k) {
      for (int p = 1; p < ido - 1; p += 2) {
        const int pc = ido - p - 2;
        const Complex t0 = input(cc, p, k, 0);
        const Complex t1 = twiddled(wa1, p, cc(p, k, 1), cc(p + 1, k, 1));
        const Complex t2 = twiddled(wa2, p, cc(p, k, 2), cc(p + 1, k, 2));
        const Complex t3 = twiddled(wa3, p, cc(p, k, 3), cc(p + 1, k, 3));
        const Complex sum02{t0.re + t2.re, t0.im + t2.im};
        const Complex dif02{t0.re - t2.re, t0.im - t2.im};
        const Complex sum13{t1.re + t3.re, t1.im + t3.im};
        const Complex dif13{t1.re - t3.re, t1.im - t3.im};
        // Y(0) = s02 + s13, Y(1) = d02 - i d13, Y(2) = s02 - s13, Y(3) = d02 + i d13.
        ch(p, 0, k) = sum02.re + sum13.re;
        ch(p + 1, 0, k) = sum02.im + sum13.im;
        ch(p, 2, k) = dif02.re + dif13.im;
        ch(p + 1, 2, k) = dif02.im - dif13.re;
        ch(pc, 3, k) = sum02.re - sum13.re;
        ch(pc + 1, 3, k) = sum13.im - sum02.im;
        ch(pc, 1, k) = dif02.re - dif13.im;
        ch(pc + 1, 1, k) = -dif13.re - dif02.im;
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
  for (int k = 0; k < l1; ++k) {
    for (int p = 1; p < ido - 1; p += 2) {
      const int pc = ido - p - 2;
      const Complex t0 = input(cc, p, k, 0);
      const Complex t1 = twiddled(wa1, p, cc(p, k, 1), cc(p + 1, k, 1));
      const Complex t2 = twiddled(wa2, p, cc(p, k, 2), cc(p + 1, k, 2));
      const Complex t3 = twiddled(wa3, p, cc(p, k, 3), cc(p + 1, k, 3));
      const Complex t4 = twiddled(wa4, p, cc(p, k, 4), cc(p + 1, k, 4));
      const Complex sum14{t1.re + t4.re, t1.im + t4.im};
      const Complex dif14{t1.re - t4.re, t1.im - t4.im};
      const Complex sum23{t2.re + t3.re, t2.im + t3.im};
      const Complex dif23{t2.re - t3.re, t2.im - t3.im};
      ch(p, 0, k) = t0.re + sum14.re + sum23.re;
      ch(p + 1, 0, k) = t0.im + sum14.im + sum23.im;
      // Y(q) = P - i Q and Y(5 - q) = P + i Q with, for q = 1 and 2,
      // P = t0 + cos(2 pi q/5)(t1 + t4) + cos(4 pi q/5)(t2 + t3),
      // Q = sin(2 pi q/5)(t1 - t4) + sin(4 pi q/5)(t2 - t3).
      const Complex p1{t0.re + kCos2Pi5 * sum14.re + kCos4Pi5 * sum23.re,
                       t0.im + kCos2Pi5 * sum14.im + kCos4Pi5 * sum23.im};
      const Complex q1{kSin2Pi5 * dif14.re + kSin4Pi5 * dif23.re,
                       kSin2Pi5 * dif14.im + kSin4Pi5 * dif23.im};
      const Complex p2{t0.re + kCos4Pi5 * sum14.re + kCos2Pi5 * sum23.re,
                       t0.im + kCos4Pi5 * sum14.im + kCos2Pi5 * sum23.im};
      const Complex q2{kSin4Pi5 * dif14.re - kSin2Pi5 * dif23.re,
                       kSin4Pi5 * dif14.im - kSin2Pi5 * dif23.im};
      ch(p, 2, k) = p1.re + q1.im;
      ch(p + 1, 2, k) = p1.im - q1.re;
      ch(pc, 1, k) = p1.re - q1.im;
      ch(pc + 1, 1, k) = -q1.re - p1.im;
      ch(p, 4, k) = p2.re + q2.im;
      ch(p + 1, 4, k) = p2.im - q2.re;
      ch(pc, 3, k) = p2.re - q2.im;
      ch(pc + 1, 3, k) = -q2.re - p2.im;
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
