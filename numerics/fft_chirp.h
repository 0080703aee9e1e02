#pragma once
// Complex DFT of a large odd length by Bluestein's chirp (internal to the
// transform): the general pass uses it for a large factor, a prime length
// being the factor that is the whole length.
//
//   Y(q) = sum_j W^(j q) t_j,   W = exp(-2 pi i/ip),   j, q < ip,
//
// and with c_m = exp(-i pi m^2/ip), W^(j q) = c_j c_q conj(c_(q-j)), so
// Y = c * ((c t) (*) conj(c)): a cyclic convolution of a smooth length
// m >= 2 ip - 1 (factors 2, 3 and 5 only). Each complex transform of length m
// is made of two real transforms of the mixed-radix kind, so the chirp path
// costs about four smooth real transforms of length m.

#include <vector>

namespace pelm::fft_detail {

struct Complex {
  double re;
  double im;
};

class ChirpTransform {
 public:
  // Odd ip >= 3. Throws std::bad_alloc when the convolution does not fit.
  explicit ChirpTransform(int ip);

  // y[q] for q < outputs (outputs <= ip) from t[j], j < ip.
  void transform(const Complex* t, Complex* y, int outputs);

  int convolution_length() const { return m_; }
  std::size_t bytes() const;

 private:
  // The spectrum Z(k) = sum_l z_l exp(-2 pi i k l/m) for k < count, from the
  // real and imaginary parts of z (each m long), which stay as they are.
  void complex_forward(const double* z_re, const double* z_im, Complex* z_hat, int count);

  int ip_;
  int m_;
  std::vector<Complex> chirp_;   // c_j, j < ip
  std::vector<Complex> filter_;  // transform of conj(c) wrapped to length m, times 1/m
  std::vector<double> work_;     // DFFTRI table of length m, and the passes' scratch
  std::vector<double> re_;       // real and imaginary parts of the sequence to transform
  std::vector<double> im_;
  std::vector<double> re_hat_;   // their half-complex real transforms
  std::vector<double> im_hat_;
  std::vector<Complex> spectrum_;
};

// The chirp transform of ip, from a small process-wide cache.
ChirpTransform& cached_chirp_transform(int ip);

}  // namespace pelm::fft_detail
