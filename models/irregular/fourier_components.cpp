#include "models/irregular/fourier_components.h"

#include <cmath>

#include "numerics/constants.h"
#include "numerics/dispersion.h"
#include "numerics/fft.h"

namespace pelm {
namespace {

// c(m) of the 1-based coefficient layout.
double c(const std::vector<double>& coeff, std::int32_t m) {
  return coeff[static_cast<std::size_t>(m - 1)];
}

double bin_energy(const std::vector<double>& coeff, std::int32_t j) {
  return c(coeff, 2 * j) * c(coeff, 2 * j) + c(coeff, 2 * j + 1) * c(coeff, 2 * j + 1);
}

}  // namespace

std::vector<double> record_coefficients(const std::vector<double>& record) {
  const auto n = static_cast<std::int32_t>(record.size());
  std::vector<double> coeff(static_cast<std::size_t>(2 * (n / 2) + 1), 0.0);
  DFFTRF(n, record.data(), coeff.data());
  return coeff;
}

EnergyBand select_energy_band(const std::vector<double>& coeff, std::int32_t n, double fraction) {
  const std::int32_t m = n / 2;
  double total = 0.0;
  for (std::int32_t j = 1; j <= m; ++j) total += bin_energy(coeff, j);
  const double threshold = fraction * total;

  EnergyBand band;
  band.first = m;
  double sum = 0.0;
  for (std::int32_t j = 1; j <= m; ++j) {
    sum += bin_energy(coeff, j);
    if (sum >= threshold) {
      band.first = j;
      break;
    }
  }
  band.last = 1;
  sum = 0.0;
  for (std::int32_t j = m; j >= 1; --j) {
    sum += bin_energy(coeff, j);
    if (sum >= threshold) {
      band.last = j;
      break;
    }
  }
  if (m == 0) band = EnergyBand{};
  band.total_energy = total;
  return band;
}

WaveComponent component_from_bin(const std::vector<double>& coeff, std::int32_t j, std::int32_t n,
                                 double record_length, double h) {
  const double a = 2.0 * c(coeff, 2 * j);
  const double b = 2.0 * c(coeff, 2 * j + 1);
  WaveComponent component;
  component.amplitude = std::sqrt(a * a + b * b) / n;
  component.phase = std::atan2(a, -b);
  component.omega = kPi * 2.0 * j / record_length;
  component.k = wave_number(component.omega, h);
  component.direction = 0.0;
  return component;
}

}  // namespace pelm
