// Set-up of the measured sea: the record is read, transformed, and every
// Fourier bin j inside the energy band becomes one component on the
// frequency 2 pi j / T of the record length T = time_N - time_1, so that the
// components replay the record from host time 0 with period T.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "input/data_file.h"
#include "interface/library_state.h"
#include "models/deterministic/det_model.h"
#include "models/irregular/fourier_components.h"
#include "models/irregular/linear_field.h"
#include "models/irregular/wave_field_grid.h"
#include "numerics/fft.h"
#include "runtime/console.h"
#include "runtime/memory_budget.h"
#include "runtime/fatal.h"

namespace pelm {
namespace {

// Per sample: the elevation, its coefficient, the transform's work array
// (two values) and, for up to half as many components, the component and
// the twelve per-component arrays of the linear field.
constexpr double kBytesPerSample =
    4 * sizeof(double) + 0.5 * (sizeof(WaveComponent) + 12 * sizeof(double));

template <typename... Items>
bool refuse(const Items&... items) {
  write_message("*** ERROR *** det_airy ", items..., " - wave model not set up");
  return false;
}

bool valid_input(const DetModel& m) {
  const std::int32_t n = m.sample_count;
  if (n < 2) return refuse("needs a record of at least 2 samples (nsamples), not ", n);
  if (m.time_column < 1 || m.elevation_column < 1)
    return refuse("columns must be 1 or more, not ", m.time_column, " ", m.elevation_column);
  // Above 1 the share dropped at each end exceeds the whole energy.
  if (!(m.cutoff_fraction <= 1.0))
    return refuse("cutoff_frac must not exceed 1, not ", m.cutoff_fraction);
  const double width = std::max(m.time_column, m.elevation_column);
  const double bytes = n * kBytesPerSample + width * sizeof(double);
  if (bytes > kMaxSetUpBytes)
    return refuse("record of ", n, " samples and ", static_cast<std::int32_t>(width),
                  " columns needs too much memory, megabytes:", bytes / 1048576.0);
  if (fft_factor_count(n) > kFftMaxFactors)
    return refuse("cannot transform ", n, " samples: more than ", kFftMaxFactors,
                  " prime factors (4 counting as one); drop a sample or two");
  return true;
}

struct Record {
  double first_time = 0.0;
  double last_time = 0.0;
  std::vector<double> elevation;
};

// A file that is missing or cannot give N records stops the process: the
// sea the input asks for cannot be built from it.
void read_record(const DetModel& m, Record& record) {
  DataFile file;
  if (!file.open(m.file_name))
    fatal_stop("*** ERROR *** Cannot open the det_airy elevation record file \"" + m.file_name + "\"");
  file.skip_lines(m.skip_lines, "the header lines (nskip)");
  const auto width = static_cast<std::size_t>(std::max(m.time_column, m.elevation_column));
  std::vector<double> row(width);
  const auto time_at = static_cast<std::size_t>(m.time_column - 1);
  const auto elevation_at = static_cast<std::size_t>(m.elevation_column - 1);
  const auto n = static_cast<std::size_t>(m.sample_count);
  record.elevation.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    file.read_values(width, row.data(), "sample " + std::to_string(i + 1));
    record.elevation[i] = row[elevation_at];
    if (i == 0) record.first_time = row[time_at];
    if (i + 1 == n) record.last_time = row[time_at];
  }
}

}  // namespace

bool det_airy_init(DetModel& m, LibraryState& state, double t_start, double t_end) {
  IregModel& field = m.field;
  field.components.clear();
  field.component_count = 0;
  if (!valid_input(m)) return false;

  const std::int32_t n = m.sample_count;
  std::vector<double> coeff;
  EnergyBand band;
  try {
    Record record;
    read_record(m, record);
    m.record_length = record.last_time - record.first_time;
    if (!(m.record_length > 0.0 && std::isfinite(m.record_length)))
      return refuse("record ", m.file_name, " needs its last time after its first: time_1 =",
                    record.first_time, " time_N =", record.last_time);
    coeff = record_coefficients(record.elevation);
    band = select_energy_band(coeff, n, m.cutoff_fraction);
    field.components.reserve(
        static_cast<std::size_t>(band.first <= band.last ? band.last - band.first + 1 : 0));
  } catch (const std::bad_alloc&) {
    return refuse("record of ", n, " samples: not enough memory for its transform");
  }

  if (!std::isfinite(band.total_energy))
    return refuse("record ", m.file_name, " has elevations too large for their spectrum");
  if (band.total_energy == 0.0) {
    // Only the mean: no wave to replay. Every bin would pass the band
    // search with a zero threshold, so the empty set is said here.
    write_message("*** INFO *** det_airy record ", m.file_name,
                  " holds no wave beside its mean - calm sea");
    band.last = band.first - 1;
  } else if (band.first > band.last) {
    write_message("*** INFO *** det_airy keeps no wave component of record ", m.file_name,
                  " with cutoff_frac", m.cutoff_fraction, " - calm sea");
  }

  for (std::int32_t j = band.first; j <= band.last; ++j)
    field.components.push_back(component_from_bin(coeff, j, n, m.record_length, state.depth));
  field.component_count = static_cast<std::int32_t>(field.components.size());
  coeff = {};
  prepare_linear_field(field, state.depth);

  if (!field.precompute) return true;
  if (field.components.empty()) {
    write_line("*** INFO *** det_airy has no wave component to precompute - no grid, calm sea");
    field.precompute = false;
    return true;
  }
  return build_wave_field_grid(field, state, t_start, t_end, field.components.back().omega);
}

}  // namespace pelm
