#pragma once
// Linear wave components from the Fourier coefficients of an elevation
// record sampled at the origin (white-noise seas and measured records).

#include <cstdint>
#include <vector>

#include "models/irregular/irregular_model.h"

namespace pelm {

// Transforms record[0 .. n-1] into a coefficient array of 2*floor(n/2) + 1
// values in the layout of DFFTRF, the last one 0 for even n.
std::vector<double> record_coefficients(const std::vector<double>& record);

// The band of coefficient indices j = first .. last (1-based, as bins of the
// record) kept after dropping `fraction` of the spectral energy at each end.
// The energy of bin j is c(2j)^2 + c(2j+1)^2; the mean takes no part. Indices
// stay within 1 .. floor(n/2); first > last leaves no component. A fraction
// of 0 or less keeps every bin.
struct EnergyBand {
  std::int32_t first = 1;
  std::int32_t last = 0;
  double total_energy = 0.0;  // E_1 + ... + E_floor(n/2), summed upward
};
EnergyBand select_energy_band(const std::vector<double>& coeff, std::int32_t n, double fraction);

// The component of bin j of an n-sample record of length `record_length` (s)
// in depth h: A = |2 c_j| / n, phi = atan2(a, -b), omega = 2 pi j / length.
// The bin n/2 of an even record (b = 0) is built the same way, which gives it
// twice its share of the inverse transform.
WaveComponent component_from_bin(const std::vector<double>& coeff, std::int32_t j, std::int32_t n,
                                 double record_length, double h);

}  // namespace pelm
