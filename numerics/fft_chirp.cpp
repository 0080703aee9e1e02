#include "numerics/fft_chirp.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "numerics/fft.h"
#include "numerics/fft_cache.h"

namespace pelm::fft_detail {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// The chirp transforms kept: a few odd factors, and at most 64 MiB of them
// (the plan of a prime near 216000 takes about 35 MiB).
constexpr std::size_t kCachedChirps = 4;
constexpr std::size_t kChirpCacheBytes = std::size_t{64} << 20;

// The smallest 2^a 3^b 5^c >= target whose factorisation fits the work
// layout; the radix-4, 2, 3 and 5 passes are the fast ones.
int smooth_length_at_least(std::int64_t target) {
  const std::int64_t limit = std::numeric_limits<std::int32_t>::max();
  std::int64_t best = 0;
  for (std::int64_t p2 = 1; p2 <= limit; p2 *= 2) {
    for (std::int64_t p3 = p2; p3 <= limit; p3 *= 3) {
      for (std::int64_t p5 = p3; p5 <= limit; p5 *= 5) {
        if (p5 < target || (best != 0 && p5 >= best)) continue;
        if (fft_factor_count(static_cast<std::int32_t>(p5)) <= kFftMaxFactors) best = p5;
      }
    }
  }
  // A convolution of more than 2^31 points: far beyond the memory anyway.
  if (best == 0) throw std::bad_alloc();
  return static_cast<int>(best);
}

inline Complex multiply(const Complex& a, const Complex& b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

PlanCache<ChirpTransform>& chirp_cache() {
  static PlanCache<ChirpTransform> cache(kCachedChirps, kChirpCacheBytes);
  return cache;
}

}  // namespace

ChirpTransform::ChirpTransform(int ip)
    : ip_(ip),
      m_(smooth_length_at_least(2 * static_cast<std::int64_t>(ip) - 1)),
      chirp_(ip),
      filter_(m_),
      work_(2 * static_cast<std::size_t>(m_) + 15),
      re_(m_, 0.0),
      im_(m_, 0.0),
      re_hat_(m_),
      im_hat_(m_),
      spectrum_(m_) {
  // m^2 mod 2 ip keeps the angle below 2 pi exactly; c_(ip-m) = -c_m for odd ip.
  for (int m = 0; m <= ip / 2; ++m) {
    const auto t = static_cast<std::int64_t>(m) * m % (2 * static_cast<std::int64_t>(ip));
    const double angle = kTwoPi * 0.5 * static_cast<double>(t) / ip;
    chirp_[m] = {std::cos(angle), -std::sin(angle)};
    if (m > 0) chirp_[ip - m] = {-chirp_[m].re, -chirp_[m].im};
  }
  DFFTRI(m_, work_.data());
  // conj(c) at offsets 0 .. ip-1 and, wrapped, -(ip-1) .. -1; the inverse
  // transform's 1/m is folded into the filter.
  const double scale = 1.0 / m_;
  for (int m = 0; m < ip; ++m) {
    re_[m] = chirp_[m].re * scale;
    im_[m] = -chirp_[m].im * scale;
    if (m > 0) {
      re_[m_ - m] = re_[m];
      im_[m_ - m] = im_[m];
    }
  }
  complex_forward(re_.data(), im_.data(), filter_.data(), m_);
  std::fill(re_.begin(), re_.end(), 0.0);
  std::fill(im_.begin(), im_.end(), 0.0);
}

std::size_t ChirpTransform::bytes() const {
  return sizeof(Complex) * (chirp_.size() + filter_.size() + spectrum_.size()) +
         sizeof(double) * (work_.size() + re_.size() + im_.size() + re_hat_.size() + im_hat_.size());
}

void ChirpTransform::complex_forward(const double* z_re, const double* z_im, Complex* z_hat,
                                     int count) {
  // Z = A + i B with A, B the spectra of the real and imaginary parts; the
  // half-complex layout holds A(k) for k <= m/2 and A(m-k) = conj(A(k)).
  const int m = m_;
  DF2TRF(m, z_re, re_hat_.data(), work_.data());
  DF2TRF(m, z_im, im_hat_.data(), work_.data());
  const double* a = re_hat_.data();
  const double* b = im_hat_.data();
  z_hat[0] = {a[0], b[0]};
  const int half = (m - 1) / 2;
  for (int k = 1; k <= half; ++k) {
    const Complex ak{a[2 * k - 1], a[2 * k]};
    const Complex bk{b[2 * k - 1], b[2 * k]};
    if (k < count) z_hat[k] = {ak.re - bk.im, ak.im + bk.re};
    if (m - k < count) z_hat[m - k] = {ak.re + bk.im, bk.re - ak.im};
  }
  if (m % 2 == 0 && m / 2 < count) z_hat[m / 2] = {a[m - 1], b[m - 1]};
}

void ChirpTransform::transform(const Complex* t, Complex* y, int outputs) {
  // re_ and im_ are zero from ip on before and after every call.
  for (int j = 0; j < ip_; ++j) {
    const Complex u = multiply(t[j], chirp_[j]);
    re_[j] = u.re;
    im_[j] = u.im;
  }
  complex_forward(re_.data(), im_.data(), spectrum_.data(), m_);
  // The inverse transform as the conjugate of the forward transform of the
  // conjugate.
  for (int k = 0; k < m_; ++k) {
    const Complex product = multiply(spectrum_[k], filter_[k]);
    re_[k] = product.re;
    im_[k] = -product.im;
  }
  complex_forward(re_.data(), im_.data(), spectrum_.data(), outputs);
  for (int q = 0; q < outputs; ++q)
    y[q] = multiply(Complex{spectrum_[q].re, -spectrum_[q].im}, chirp_[q]);
  std::fill(re_.begin() + ip_, re_.end(), 0.0);
  std::fill(im_.begin() + ip_, im_.end(), 0.0);
}

ChirpTransform& cached_chirp_transform(int ip) {
  return chirp_cache().get(ip, [](int key) { return std::make_unique<ChirpTransform>(key); });
}

bool chirp_plan_cached(int ip) { return chirp_cache().contains(ip); }

void trim_chirp_plans() { chirp_cache().trim(); }

}  // namespace pelm::fft_detail
