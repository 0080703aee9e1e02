#pragma once
// The block layout of one pass of the real forward transform and the
// constants of the radix-3, 4 and 5 butterflies (internal to the passes; see
// fft_passes.h for the layout in full).

namespace pelm::fft_detail {

inline constexpr double kHalfSqrt2 = 0.7071067811865476;  // cos(pi/4), radix-4 Nyquist column
inline constexpr double kCos2Pi3 = -0.5;                  // cos(2 pi/3)
inline constexpr double kSin2Pi3 = 0.8660254037844386;    // sin(2 pi/3)
inline constexpr double kCos2Pi5 = 0.30901699437494745;   // cos(2 pi/5)
inline constexpr double kSin2Pi5 = 0.9510565162951535;    // sin(2 pi/5)
inline constexpr double kCos4Pi5 = -0.8090169943749475;   // cos(4 pi/5)
inline constexpr double kSin4Pi5 = 0.5877852522924731;    // sin(4 pi/5)

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

}  // namespace pelm::fft_detail
