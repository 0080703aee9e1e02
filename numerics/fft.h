#pragma once
// Forward discrete Fourier transform of a real sequence of any length N >= 1
// (mixed radix 4, 2, 3, 5 and a general odd radix).
//
// Layout of the result (0-based indices here; no scaling by N or 1/N),
// with theta = 2*pi*k*j/N:
//   coeff[0]      = sum_j x_j
//   coeff[2k-1]   = sum_j x_j cos(theta)     k = 1 .. floor((N-1)/2)
//   coeff[2k]     = -sum_j x_j sin(theta)
//   coeff[N-1]    = sum_j (-1)^j x_j         N even only
// so coeff[2k-1] + i coeff[2k] is the k-th coefficient sum_j x_j e^(-i theta).
// N < 1, or a work array that cannot be allocated, is a terminal error that
// stops the process.

#include <cstdint>

namespace pelm {

// Transforms seq[0 .. n-1] into coeff[0 .. n-1]. seq is not modified and coeff
// may be the same array as seq. The work arrays of the last few lengths are
// kept between calls (a bounded, process-wide cache), so a length used again
// skips the factorisation and the twiddle table; the results are the same
// bits either way.
void DFFTRF(std::int32_t n, const double* seq, double* coeff);

// Fills work[n .. 2n+14] (twiddle table and factorisation) for length n.
// work holds 2n + 15 doubles. Does nothing for n = 1.
void DFFTRI(std::int32_t n, double* work);

// Copies seq to coeff and transforms coeff in place with a work array
// initialised by DFFTRI; work[0 .. n-1] is scratch.
void DF2TRF(std::int32_t n, const double* seq, double* coeff, double* work);

// The work layout holds at most this many factors (a factor 4 counts as one);
// a longer factorisation is a terminal error of DFFTRI.
inline constexpr std::int32_t kFftMaxFactors = 13;

// The number of factors DFFTRI lists for n >= 1 (0 for n = 1), so that a
// caller can refuse a length before it reaches the transform.
std::int32_t fft_factor_count(std::int32_t n);

}  // namespace pelm
