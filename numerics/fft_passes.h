#pragma once
// Butterfly passes of the real forward transform (internal to fft.cpp).
//
// One pass combines, for each k < l1, the ip half-complex spectra of length
// ido held in cc(., k, j), j < ip, into the half-complex spectrum of length
// L = ip*ido held in ch(., ., k):
//
//   cc(i, k, j) = cc[i + ido*(k + l1*j)]     ch(i, j, k) = ch[i + ido*(j + ip*k)]
//
// The input spectra are those of the ip interleaved subsequences (s = j + ip*m)
// of the length-L sequence, so with W_L = exp(-2 pi i/L)
//
//   Y(f + ido*q) = sum_j W_ip^(j q) T_j(f),   T_j(f) = W_L^(j f) Y_j(f),
//
// an ip-point DFT across the spectra of their twiddled coefficients.
//
// Half-complex layout of a block of length ido (0-based): position 0 holds
// Y(0); positions 2f-1 and 2f hold Re and Im of Y(f) for 1 <= f < ido/2; for
// even ido, position ido-1 holds the real Y(ido/2). A coefficient past the
// middle of the combined spectrum is stored as the conjugate of its mirror
// L - f. Real-part positions are called p = 2f - 1 below; the conjugate slot
// of (p, block q) is (ido - p - 2, block 2(ip - q) - 1).
//
// Twiddles: wa points at a block of ido values of the table, with
// wa[p - 1] = cos(2 pi f j / L) and wa[p] = sin(2 pi f j / L) for the block of
// spectrum j. The general pass takes the ip - 1 blocks one after another.
//
// cc and ch never overlap.

#include "runtime/cpu_features.h"

namespace pelm::fft_detail {

void forward_pass_2(int ido, int l1, const double* cc, double* ch, const double* wa1);
void forward_pass_3(int ido, int l1, const double* cc, double* ch, const double* wa1,
                    const double* wa2);
void forward_pass_4(int ido, int l1, const double* cc, double* ch, const double* wa1,
                    const double* wa2, const double* wa3);
void forward_pass_5(int ido, int l1, const double* cc, double* ch, const double* wa1,
                    const double* wa2, const double* wa3, const double* wa4);
// The radix passes are built once per instruction set (fft_radix_impl.cpp),
// all giving the same bits; the first transform takes the widest the
// processor runs. Tests and benchmarks may force one: false (and no change)
// when the processor cannot run it.
struct RadixPasses {
  void (*pass2)(int ido, int l1, const double* cc, double* ch, const double* wa1);
  void (*pass3)(int ido, int l1, const double* cc, double* ch, const double* wa1, const double* wa2);
  void (*pass4)(int ido, int l1, const double* cc, double* ch, const double* wa1, const double* wa2,
                const double* wa3);
  void (*pass5)(int ido, int l1, const double* cc, double* ch, const double* wa1, const double* wa2,
                const double* wa3, const double* wa4);
};
bool select_fft_path(VectorPath path);
VectorPath active_fft_path();

// Any odd ip >= 3 with odd ido: direct sums over the pairs (j, ip - j) for
// small ip, Bluestein's chirp convolution for large ip (a large prime length
// would otherwise cost N^2).
void forward_pass_odd(int ido, int ip, int l1, const double* cc, double* ch, const double* wa);

}  // namespace pelm::fft_detail
