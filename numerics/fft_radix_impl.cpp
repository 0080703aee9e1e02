// The radix-2, 3, 4 and 5 passes of the real forward transform. This one
// source is compiled once per instruction set (see CMakeLists.txt): for the
// x86 baseline, with one complex value (re, im) per SSE2 register; with
// -mavx2, two per register; with AVX-512, four. The butterflies of the
// inner loops run on as many consecutive coefficients as a register holds,
// then one at a time for the rest. Every lane does the same operations in
// the same order as the scalar formulas in the comments (no fused
// multiply-adds: the builds do not contract), so every build gives the same
// bits; the compilers would not vectorise the interleaved forward and
// mirrored backward accesses on their own.

#include <cstring>

#include "numerics/fft_passes.h"
#include "numerics/fft_pass_layout.h"

#if defined(__AVX512F__)
#define PELM_FFT_NAMESPACE fft_radix_avx512
#define PELM_FFT_COMPLEX_PER_VECTOR 4
#elif defined(__AVX2__)
#define PELM_FFT_NAMESPACE fft_radix_avx2
#define PELM_FFT_COMPLEX_PER_VECTOR 2
#else
#define PELM_FFT_NAMESPACE fft_radix_sse2
#define PELM_FFT_COMPLEX_PER_VECTOR 1
#endif

namespace pelm::fft_detail::PELM_FFT_NAMESPACE {
namespace {

using Pair = double __attribute__((vector_size(16)));
using Wide = double __attribute__((vector_size(16 * PELM_FFT_COMPLEX_PER_VECTOR)));
constexpr int kWide = PELM_FFT_COMPLEX_PER_VECTOR;

template <typename V>
constexpr int complex_count() {
  return static_cast<int>(sizeof(V) / (2 * sizeof(double)));
}

template <typename V>
inline V load(const double* x) {
  V v;
  std::memcpy(&v, x, sizeof v);
  return v;
}
template <typename V>
inline void store(double* x, V v) {
  std::memcpy(x, &v, sizeof v);
}

// (1, -1) in every complex.
template <typename V>
inline V conjugator() {
  V v;
  for (int m = 0; m < 2 * complex_count<V>(); ++m) v[m] = m % 2 == 0 ? 1.0 : -1.0;
  return v;
}

// (im, re), (re, re) and (im, im) of every complex.
template <typename V>
inline V swapped(V v) {
  if constexpr (complex_count<V>() == 1) return __builtin_shufflevector(v, v, 1, 0);
  else if constexpr (complex_count<V>() == 2) return __builtin_shufflevector(v, v, 1, 0, 3, 2);
  else return __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6);
}
template <typename V>
inline V real_parts(V v) {
  if constexpr (complex_count<V>() == 1) return __builtin_shufflevector(v, v, 0, 0);
  else if constexpr (complex_count<V>() == 2) return __builtin_shufflevector(v, v, 0, 0, 2, 2);
  else return __builtin_shufflevector(v, v, 0, 0, 2, 2, 4, 4, 6, 6);
}
template <typename V>
inline V imaginary_parts(V v) {
  if constexpr (complex_count<V>() == 1) return __builtin_shufflevector(v, v, 1, 1);
  else if constexpr (complex_count<V>() == 2) return __builtin_shufflevector(v, v, 1, 1, 3, 3);
  else return __builtin_shufflevector(v, v, 1, 1, 3, 3, 5, 5, 7, 7);
}
// The complexes in reverse order.
template <typename V>
inline V reversed(V v) {
  if constexpr (complex_count<V>() == 1) return v;
  else if constexpr (complex_count<V>() == 2) return __builtin_shufflevector(v, v, 2, 3, 0, 1);
  else return __builtin_shufflevector(v, v, 6, 7, 4, 5, 2, 3, 0, 1);
}

// The conjugate slots of the mirrored coefficients: complex m of v goes to
// x - 2m, as the conjugate.
template <typename V>
inline void store_mirrored_conjugate(double* x, V v) {
  store(x - 2 * (complex_count<V>() - 1), reversed(v * conjugator<V>()));
}
// -i v = (im, -re).
template <typename V>
inline V times_minus_i(V v) {
  return swapped(v) * conjugator<V>();
}
// (cos - i sin)(re + i im) = (c re + s im, c im - s re), from the table
// pairs (c, s).
template <typename V>
inline V twiddle(const double* w, V v) {
  const V table = load<V>(w);
  return real_parts(table) * v + (imaginary_parts(table) * conjugator<V>()) * swapped(v);
}

// body(i) for i < half: as many at a time as a register holds, then one by one.
template <typename Body>
inline void for_each_butterfly(int half, Body&& body) {
  int i = 0;
  if constexpr (kWide > 1)
    for (; i + kWide <= half; i += kWide) body.template operator()<Wide>(i);
  for (; i < half; ++i) body.template operator()<Pair>(i);
}

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
      for_each_butterfly(half, [&]<typename V>(int i) {
        const V t0 = load<V>(a0 + 2 * i);
        const V t1 = twiddle<V>(wa1 + 2 * i, load<V>(a1 + 2 * i));
        store(y0 + 2 * i, t0 + t1);
        store_mirrored_conjugate(y1 - 2 * i, t0 - t1);
      });
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
    for_each_butterfly(half, [&]<typename V>(int i) {
      const V t0 = load<V>(a0 + 2 * i);
      const V t1 = twiddle<V>(wa1 + 2 * i, load<V>(a1 + 2 * i));
      const V t2 = twiddle<V>(wa2 + 2 * i, load<V>(a2 + 2 * i));
      const V sum = t1 + t2;
      store(y0 + 2 * i, t0 + sum);
      // Y(q = 1, 2) = u -/+ i sin(2 pi/3) (t1 - t2), u = t0 + cos(2 pi/3) (t1 + t2).
      const V u = t0 + kCos2Pi3 * sum;
      const V v = kSin2Pi3 * times_minus_i(t1 - t2);
      store(y2 + 2 * i, u + v);
      store_mirrored_conjugate(y1 - 2 * i, u - v);
    });
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
      for_each_butterfly(half, [&]<typename V>(int i) {
        const V t0 = load<V>(a0 + 2 * i);
        const V t1 = twiddle<V>(wa1 + 2 * i, load<V>(a1 + 2 * i));
        const V t2 = twiddle<V>(wa2 + 2 * i, load<V>(a2 + 2 * i));
        const V t3 = twiddle<V>(wa3 + 2 * i, load<V>(a3 + 2 * i));
        const V sum02 = t0 + t2;
        const V dif02 = t0 - t2;
        const V sum13 = t1 + t3;
        const V dif13 = times_minus_i(t1 - t3);
        // Y(0) = s02 + s13, Y(1) = d02 - i d13, Y(2) = s02 - s13, Y(3) = d02 + i d13.
        store(y0 + 2 * i, sum02 + sum13);
        store(y2 + 2 * i, dif02 + dif13);
        store_mirrored_conjugate(y3 - 2 * i, sum02 - sum13);
        store_mirrored_conjugate(y1 - 2 * i, dif02 - dif13);
      });
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
    for_each_butterfly(half, [&]<typename V>(int i) {
      const V t0 = load<V>(a0 + 2 * i);
      const V t1 = twiddle<V>(wa1 + 2 * i, load<V>(a1 + 2 * i));
      const V t2 = twiddle<V>(wa2 + 2 * i, load<V>(a2 + 2 * i));
      const V t3 = twiddle<V>(wa3 + 2 * i, load<V>(a3 + 2 * i));
      const V t4 = twiddle<V>(wa4 + 2 * i, load<V>(a4 + 2 * i));
      const V sum14 = t1 + t4;
      const V dif14 = t1 - t4;
      const V sum23 = t2 + t3;
      const V dif23 = t2 - t3;
      store(y0 + 2 * i, t0 + sum14 + sum23);
      // Y(q) = P - i Q and Y(5 - q) = P + i Q with, for q = 1 and 2,
      // P = t0 + cos(2 pi q/5)(t1 + t4) + cos(4 pi q/5)(t2 + t3),
      // Q = sin(2 pi q/5)(t1 - t4) + sin(4 pi q/5)(t2 - t3).
      const V p1 = t0 + kCos2Pi5 * sum14 + kCos4Pi5 * sum23;
      const V q1 = times_minus_i(kSin2Pi5 * dif14 + kSin4Pi5 * dif23);
      const V p2 = t0 + kCos4Pi5 * sum14 + kCos2Pi5 * sum23;
      const V q2 = times_minus_i(kSin4Pi5 * dif14 - kSin2Pi5 * dif23);
      store(y2 + 2 * i, p1 + q1);
      store_mirrored_conjugate(y1 - 2 * i, p1 - q1);
      store(y4 + 2 * i, p2 + q2);
      store_mirrored_conjugate(y3 - 2 * i, p2 - q2);
    });
  }
}


}  // namespace

extern const RadixPasses passes;
const RadixPasses passes = {forward_pass_2, forward_pass_3, forward_pass_4, forward_pass_5};

}  // namespace pelm::fft_detail::PELM_FFT_NAMESPACE
