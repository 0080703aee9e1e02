// Set-up of the irregular sea: from the spectrum to a set of linear
// components with random phases (and directions), normalised so that the
// elevation at the origin over the host window has the spectral variance.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "interface/library_state.h"
#include "models/irregular/fourier_components.h"
#include "models/irregular/irregular_model.h"
#include "models/irregular/linear_field.h"
#include "models/irregular/spectra.h"
#include "models/irregular/wave_field_grid.h"
#include "numerics/dispersion.h"
#include "numerics/factorial.h"
#include "numerics/interpolation.h"
#include "numerics/random.h"
#include "numerics/sine_cosine.h"
#include "runtime/console.h"
#include "runtime/memory_budget.h"

namespace pelm {
namespace {

// Frequency band search: the density is sampled from just below 0 in steps
// of 0.02 rad/s (a single-precision step where the search was first coded,
// kept so that existing seas keep their components), added one at a time.
constexpr double kBandSearchStart = -1e-06;                            // rad/s
constexpr double kBandSearchStep = static_cast<double>(0.02f);         // 0.019999999552965164 rad/s
constexpr double kBandThreshold = 0.001;                               // m^2 s/rad
constexpr double kBandSearchLimit = 1000.0;                            // rad/s
constexpr double kSqrt2 = 1.4142135623730951;
constexpr std::int32_t kDirectionNodes = 1000;
constexpr double kLowerBandFactor = 0.75;   // Simpson band below the lowest component
constexpr double kUpperBandFactor = 1.25;   // and above the highest (not for white noise)
constexpr double kWhiteNoiseCutoff = 1e-05; // energy share dropped at each end of the record spectrum
constexpr double kDiagnosticStep = 0.2;     // s
constexpr const char* kDiagnosticFile = "fort.98";  // output channel 98
// FAC gives (2s - 1)! in single precision only up to 34!.
constexpr std::int32_t kMaxSpreadingExponent = 17;
// Set-up sizes (see runtime/memory_budget.h): bytes per component (the
// component record, two random numbers and a dozen evaluation arrays) and per
// host step (the record at the origin, its transform and a spare).
constexpr double kBytesPerComponent = sizeof(WaveComponent) + 2 * 8 + 12 * 8;
constexpr double kBytesPerStep = 3 * 8;
// Terms of the sums over the host window (components x steps) beyond which the
// set-up would run for many minutes: 2e9 terms is some seconds in a release
// build, ten times a 3-hour sea of 1000 components at 0.05 s.
constexpr double kMaxRecordTerms = 2e9;

template <typename... Items>
bool refuse(const Items&... items) {
  write_message("*** ERROR *** ", items..., " - wave model not set up");
  return false;
}

// The selected spectrum with its parameters, as a density of omega.
struct Spectrum {
  std::int32_t number = 0;
  std::array<double, 3> p{};
  double density(double omega) const {
    switch (number) {
      case 1: return jonswap_density(p[0], p[1], p[2], omega);
      case 2: return pierson_moskowitz_density(p[0], p[1], omega);
      default: return white_noise_density(p[0], p[1]);
    }
  }
};

bool select_spectrum(const IregModel& m, Spectrum& s) {
  s.number = m.spectrum;
  switch (m.spectrum) {
    case 1:
      if (!m.jonswap) return refuse("ireg_airy spectrum 1 (JONSWAP) needs the jonswap command");
      s.p = *m.jonswap;
      if (!(s.p[0] >= 0.0 && s.p[1] > 0.0 && s.p[2] > 0.0))
        return refuse("ireg_airy jonswap needs Hs >= 0, Tp > 0 and gamma > 0");
      return true;
    case 2:
      if (!m.pm) return refuse("ireg_airy spectrum 2 (Pierson-Moskowitz) needs the pm command");
      s.p = {(*m.pm)[0], (*m.pm)[1], 0.0};
      if (!(s.p[0] >= 0.0 && s.p[1] > 0.0)) return refuse("ireg_airy pm needs Hs >= 0 and Tz > 0");
      return true;
    case 3:
      if (!m.wn) return refuse("ireg_airy spectrum 3 (white noise) needs the wn command");
      s.p = {(*m.wn)[0], (*m.wn)[1], 0.0};
      if (!(s.p[0] >= 0.0 && s.p[1] > 0.0)) return refuse("ireg_airy wn needs V >= 0 and fc > 0");
      return true;
    default:
      return refuse("ireg_airy spectrum must be 1 (JONSWAP), 2 (Pierson-Moskowitz) or 3 (white noise), not ",
                    m.spectrum);
  }
}

struct Band {
  double low = 0.0;
  double high = 0.0;
};

Band frequency_band(const Spectrum& s) {
  if (s.number == 3) return Band{0.0, 2.0 * kPi * s.p[1]};
  // The second parameter is the period of the spectrum (Tp or Tz): the upper
  // edge is searched for beyond its frequency only.
  const double omega_period = 2.0 * kPi / s.p[1];
  double omega = kBandSearchStart;
  Band band{-1.0, -1.0};
  do {
    // A spectrum still above the threshold at 1000 rad/s (a period of 6 ms:
    // Tp or Tz near zero, or Hs beyond any sea) has no band to sample; the
    // search would go on for ever.
    if (omega > kBandSearchLimit) return Band{-1.0, -1.0};
    omega += kBandSearchStep;
    const double density = s.density(omega);
    if (density > kBandThreshold && band.low <= 0.0)
      band.low = omega;
    else if (density < kBandThreshold && omega > omega_period)
      band.high = omega;
  } while (!(band.high > 0.0));
  return band;
}

// Directions from the cumulative cos^(2s) distribution on [-pi/2, pi/2],
// tabulated on 1000 nodes by the trapezoidal rule and inverted by two-point
// interpolation.
void spread_directions(IregModel& m, const std::vector<double>& u) {
  const std::int32_t s = m.spreading_exponent;
  const std::int32_t n = m.component_count;
  // The numerator of the normalisation is formed in single precision.
  float numerator = std::ldexp(1.0f, 2 * s - 1);
  numerator = numerator * FAC(s);
  numerator = numerator * FAC(s - 1);
  const double c_s = static_cast<double>(numerator) / (static_cast<double>(FAC(2 * s - 1)) * kPi);

  const double d_theta = kPi / (kDirectionNodes - 1);
  std::vector<double> theta(kDirectionNodes), cdf(kDirectionNodes);
  double previous_density = 0.0;
  double previous_cdf = 0.0;
  for (std::int32_t j = 0; j < kDirectionNodes; ++j) {
    theta[j] = j * d_theta - kPi / 2.0;
    const double density = c_s * std::pow(std::cos(theta[j]), 2.0 * s);
    cdf[j] = previous_cdf + (density + previous_density) * 0.5 * d_theta;
    previous_density = density;
    previous_cdf = cdf[j];
  }
  for (std::int32_t i = 0; i < n; ++i) {
    const double ui = u[static_cast<std::size_t>(n + i)];
    std::int32_t p = 1;
    while (p < kDirectionNodes - 1 && !(cdf[p] >= ui)) ++p;
    m.components[static_cast<std::size_t>(i)].direction =
        interpolate_two_point(ui, cdf[p - 1], cdf[p], theta[p - 1], theta[p]);
  }
}

// Variance of the spectrum by the composite Simpson rule over the band
// widened below (and, for the peaked spectra, above) the components.
double spectral_variance(const Spectrum& s, const Band& band, std::int32_t n) {
  const std::int32_t m = 5 * n;
  const double omega_a = kLowerBandFactor * band.low;
  const double omega_b = s.number == 3 ? band.high : kUpperBandFactor * band.high;
  const double h = (omega_b - omega_a) / (2 * m);
  double odd = 0.0, even = 0.0;
  for (std::int32_t j = 1; j < 2 * m; j += 2) odd += s.density(omega_a + j * h);
  for (std::int32_t j = 2; j < 2 * m; j += 2) even += s.density(omega_a + j * h);
  return h / 3.0 * (s.density(omega_a) + 4.0 * odd + 2.0 * even + s.density(omega_a + 2 * m * h));
}

// Elevation at the origin at t_start + k dt, k = 0 .. n_t - 1, moving the
// library's clock along as the evaluation of a host would.
std::vector<double> origin_record(const std::vector<WaveComponent>& components,
                                  LibraryState& state, double t_start, double dt, std::int32_t n_t) {
  std::vector<double> record(static_cast<std::size_t>(n_t));
  for (std::int32_t k = 0; k < n_t; ++k) {
    const double t = t_start + k * dt;
    state.time = t;
    double eta = 0.0;
    for (const WaveComponent& c : components) eta += c.amplitude * sine(c.omega * t + c.phase);
    record[static_cast<std::size_t>(k)] = eta;
  }
  return record;
}

// White noise: the components are rebuilt from the transform of the record
// that the first set gives at the origin, on the frequencies of the window.
void rederive_white_noise(IregModel& m, const LibraryState& state, const std::vector<double>& record,
                          double t_start, double t_end) {
  const auto n_t = static_cast<std::int32_t>(record.size());
  const std::vector<double> coeff = record_coefficients(record);
  const EnergyBand band = select_energy_band(coeff, n_t, kWhiteNoiseCutoff);
  m.components.clear();
  for (std::int32_t j = band.first; j <= band.last; ++j)
    m.components.push_back(component_from_bin(coeff, j, n_t, t_end - t_start, state.depth));
  m.component_count = static_cast<std::int32_t>(m.components.size());
}

void write_diagnostic_record(const IregModel& m, LibraryState& state, double t_start, double t_end) {
  std::FILE* file = std::fopen(kDiagnosticFile, "w");
  if (file == nullptr)
    write_message("*** ERROR *** Cannot write the diagnostic elevation record ", kDiagnosticFile);
  const auto count = static_cast<std::int64_t>((t_end - t_start + kDiagnosticStep) / kDiagnosticStep);
  double t = t_start;
  const double origin[3] = {0.0, 0.0, 0.0};
  for (std::int64_t i = 0; i < count; ++i) {
    state.time = t;
    double eta = 0.0;
    linear_field_elevation(origin, m, state, eta);
    if (file != nullptr)
      std::fprintf(file, "%s %s\n", format_real(t).c_str(), format_real(eta).c_str());
    t += kDiagnosticStep;
  }
  if (file != nullptr) std::fclose(file);
}

}  // namespace

bool ireg_airy_init(IregModel& m, LibraryState& state, double t_start, double t_end, double dt) {
  Spectrum spectrum;
  if (!select_spectrum(m, spectrum)) return false;
  const std::int32_t n = m.component_count;
  if (n < 2) return refuse("ireg_airy needs at least 2 wave components (coef), not ", n);
  const bool spread = m.spreading == 1;
  if (spread && (m.spreading_exponent < 1 || m.spreading_exponent > kMaxSpreadingExponent))
    return refuse("ireg_airy spreading exponent must be from 1 to ", kMaxSpreadingExponent, ", not ",
                  m.spreading_exponent);
  const double n_t_real = std::round((t_end - t_start) / dt);
  if (!(dt > 0.0 && n_t_real >= 2.0 && n_t_real <= 2147483647.0))
    return refuse("ireg_airy needs a simulation window of at least 2 time steps: t_start =", t_start,
                  " t_end =", t_end, " dt =", dt);
  const auto n_t = static_cast<std::int32_t>(n_t_real);
  // Memory: the component, its evaluation arrays and its random numbers per
  // component; the elevation record (and, for white noise, its transform)
  // per host step. Work: the record is summed over every component, twice.
  const double bytes = n * kBytesPerComponent + n_t_real * kBytesPerStep;
  if (bytes > kMaxSetUpBytes)
    return refuse("ireg_airy with ", n, " components over ", n_t, " host steps needs too much memory,"
                  " megabytes:", bytes / 1048576.0);
  if (static_cast<double>(n) * n_t_real > kMaxRecordTerms)
    return refuse("ireg_airy with ", n, " components over ", n_t, " host steps would take too long to"
                  " set up; fewer components or a coarser host step");

  // Phases take the first n deviates whether or not directions are drawn, so
  // spreading does not change the phases of a seed.
  RNSEED(m.seed);
  m.components.assign(static_cast<std::size_t>(n), WaveComponent{});
  std::vector<double> u(static_cast<std::size_t>(m.spreading == 0 ? n : 2 * n));
  DRNUN(static_cast<std::int32_t>(u.size()), u.data());
  for (std::int32_t i = 0; i < n; ++i)
    m.components[static_cast<std::size_t>(i)].phase = u[static_cast<std::size_t>(i)] * 2.0 * kPi - kPi;

  const Band band = frequency_band(spectrum);
  if (!(band.high > 0.0))
    return refuse("ireg_airy spectrum exceeds 0.001 m^2 s/rad up to ", kBandSearchLimit,
                  " rad/s: no frequency band to sample (check Hs and the period)");
  m.omega_low = band.low;
  m.delta_omega = (band.high - band.low) / (n - 1);
  for (std::int32_t i = 0; i < n; ++i) {
    WaveComponent& c = m.components[static_cast<std::size_t>(i)];
    c.omega = m.omega_low + i * m.delta_omega;
    c.amplitude = std::sqrt(spectrum.density(c.omega) * m.delta_omega) * kSqrt2;
    c.k = wave_number(c.omega, state.depth);
  }
  if (spread) spread_directions(m, u);

  const double m0 = spectral_variance(spectrum, band, n);
  // A parameter far outside any sea (gamma = 1e300, say) can overflow the
  // density: no finite sea comes of it.
  bool finite = std::isfinite(m0);
  for (const WaveComponent& c : m.components)
    finite = finite && std::isfinite(c.amplitude) && std::isfinite(c.k);
  if (!finite) return refuse("ireg_airy spectrum gives no finite wave amplitudes (check its parameters)");
  if (spectrum.number == 3)
    rederive_white_noise(m, state, origin_record(m.components, state, t_start, dt, n_t), t_start,
                         t_end);

  // Scale the amplitudes so that the record at the origin has the variance
  // of the spectrum (the mean square over n_t - 1, no mean removed).
  const std::vector<double> record = origin_record(m.components, state, t_start, dt, n_t);
  double sum_of_squares = 0.0;
  for (double eta : record) sum_of_squares += eta * eta;
  const double variance = sum_of_squares / (n_t - 1);
  state.time = 0.0;
  if (variance > 0.0) {
    const double scale = std::sqrt(m0 / variance);
    for (WaveComponent& c : m.components) c.amplitude *= scale;
  }

  prepare_linear_field(m, state.depth);
  const double omega_max = spectrum.number == 3 ? band.high : kUpperBandFactor * band.high;
  if (!build_wave_field_grid(m, state, t_start, t_end, omega_max)) return false;
  write_diagnostic_record(m, state, t_start, t_end);
  return true;
}

}  // namespace pelm
