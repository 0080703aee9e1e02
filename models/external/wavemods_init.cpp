// Loading the two kinematics data files.
//
// Both files: 9 header lines, the nd level fractions sigma (free format, from
// the bed up), 1 header line, then nt records of ncol values each, a record
// possibly wrapped over several lines; values beyond the ones used are read
// and ignored.
//   file 1 record: time, eta, u(1..nd), a_x(1..nd), ...
//   file 2 record: (time, not used), w(1..nd), a_z(1..nd), ...
// The sigma of file 2 are read over: file 1's define the levels.

#include <cmath>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "input/data_file.h"
#include "models/external/wavemods_model.h"
#include "runtime/console.h"
#include "runtime/fatal.h"
#include "runtime/platform.h"

namespace pelm {
namespace {

// Memory the tables and the record buffer may take. A 32-bit host has about
// 2 GiB of address space in all, shared with its own data and fragmented;
// the same limit on every platform keeps an input's fate the same on all.
constexpr double kMaxTableBytes = 256.0 * 1024 * 1024;
// Five tables of nd values and two single values per record.
constexpr double kTablesPerLevel = 5.0;
constexpr double kValuesPerRecord = 2.0;
// A record time further than this fraction of the step from its place on the
// even grid from 0 to T_last is reported: the look-up assumes that grid.
// Generous, so that times written with few decimals pass.
constexpr double kTimeGridTolerance = 0.01;

bool refuse(const MessageLine& message) {
  MessageLine line = message;
  line.add(" - wave model not set up");
  write_line(line.text());
  return false;
}

// The existence checks come first, so that a missing file stops the run
// whatever else the block holds.
void require_file(const std::string& name) {
  if (!regular_file_exists(name)) {
    MessageLine message;
    message.add("*** ERROR *** file note found:").add(name);
    fatal_stop(message.text());
  }
}

bool valid_counts(const WavemodsModel& m) {
  // The interpolation needs two levels and two records to bracket a point.
  if (m.nd < 2) return refuse(MessageLine().add("*** ERROR *** wavemods datafile_nd must be at least 2, not").add(m.nd));
  if (m.nt < 2) return refuse(MessageLine().add("*** ERROR *** wavemods datafile_nt must be at least 2, not").add(m.nt));
  const std::int64_t need1 = 2 + 2 * static_cast<std::int64_t>(m.nd);
  const std::int64_t need2 = 1 + 2 * static_cast<std::int64_t>(m.nd);
  if (m.ncol1 < need1)
    return refuse(MessageLine().add("*** ERROR *** wavemods datafile1_ncol").add(m.ncol1)
                      .add("is too small for").add(m.nd).add("levels, it must be at least")
                      .add(static_cast<double>(need1)));
  if (m.ncol2 < need2)
    return refuse(MessageLine().add("*** ERROR *** wavemods datafile2_ncol").add(m.ncol2)
                      .add("is too small for").add(m.nd).add("levels, it must be at least")
                      .add(static_cast<double>(need2)));
  // In doubles: exact for these integer products, and free of overflow.
  const double values = static_cast<double>(m.nt) * (kTablesPerLevel * m.nd + kValuesPerRecord) +
                        m.nd + static_cast<double>(m.ncol1) + static_cast<double>(m.ncol2);
  const double bytes = values * sizeof(double);
  if (bytes > kMaxTableBytes)
    return refuse(MessageLine().add("*** ERROR *** wavemods data tables too large, megabytes:")
                      .add(bytes / 1048576.0));
  if (!(m.z_bottom < 0.0))
    return refuse(MessageLine().add("*** ERROR *** wavemods datafile_depth must be greater than 0, not")
                      .add(0.0 - m.z_bottom));
  return true;
}

// Opens a data file that the existence check has found; one that cannot be
// opened all the same (no read permission) cannot give the data either.
void open_data_file(DataFile& file, const std::string& name) {
  if (!file.open(name)) {
    MessageLine message;
    message.add("*** ERROR *** Error opening file: ").add(name);
    fatal_stop(message.text());
  }
}

std::string record_name(std::int32_t j, const char* file) {
  return "record " + std::to_string(j) + " of " + file;
}

// Equal sigma at neighbouring levels put two levels at one elevation, and the
// interpolation between them divides by zero; a column that turns back has
// no single interval for a point.
bool valid_sigma(const std::vector<double>& sigma) {
  const bool ascending = sigma.back() >= sigma.front();
  for (std::size_t i = 1; i < sigma.size(); ++i) {
    const bool step_ok = ascending ? sigma[i] > sigma[i - 1] : sigma[i] < sigma[i - 1];
    if (!step_ok)
      return refuse(MessageLine().add("*** ERROR *** wavemods level fractions in datafile1 must be "
                                      "strictly monotone; level")
                        .add(static_cast<std::int32_t>(i + 1)).add("has").add(sigma[i])
                        .add("after").add(sigma[i - 1]));
  }
  return true;
}

void read_file1(WavemodsModel& m, std::vector<double>& sigma) {
  const auto nd = static_cast<std::size_t>(m.nd);
  DataFile file;
  open_data_file(file, m.file1);
  file.skip_lines(9, "header of datafile1");
  file.read_values(nd, sigma.data(), "level fractions of datafile1");
  file.skip_lines(1, "header of datafile1");
  std::vector<double> record(static_cast<std::size_t>(m.ncol1));
  for (std::int32_t j = 0; j < m.nt; ++j) {
    file.read_values(record.size(), record.data(), record_name(j + 1, "datafile1"));
    const std::size_t row = static_cast<std::size_t>(j) * nd;
    m.time[static_cast<std::size_t>(j)] = record[0];
    m.eta[static_cast<std::size_t>(j)] = record[1];
    for (std::size_t i = 0; i < nd; ++i) {
      m.u[row + i] = record[2 + i];
      m.ax[row + i] = record[2 + nd + i];
      m.level_z[row + i] = (record[1] - m.z_bottom) * sigma[i] + m.z_bottom;
    }
  }
}

void read_file2(WavemodsModel& m) {
  const auto nd = static_cast<std::size_t>(m.nd);
  DataFile file;
  open_data_file(file, m.file2);
  file.skip_lines(9, "header of datafile2");
  std::vector<double> unused_sigma(nd);
  file.read_values(nd, unused_sigma.data(), "level fractions of datafile2");
  file.skip_lines(1, "header of datafile2");
  std::vector<double> record(static_cast<std::size_t>(m.ncol2));
  for (std::int32_t j = 0; j < m.nt; ++j) {
    file.read_values(record.size(), record.data(), record_name(j + 1, "datafile2"));
    const std::size_t row = static_cast<std::size_t>(j) * nd;
    for (std::size_t i = 0; i < nd; ++i) {
      m.w[row + i] = record[1 + i];
      m.az[row + i] = record[1 + nd + i];
    }
  }
}

// Times that do not rise cannot be interpolated between (a zero step divides
// by zero); a record with its surface at or below the bed has no column to
// carry a point into.
bool valid_records(const WavemodsModel& m) {
  if (!(m.t_last > 0.0))
    return refuse(MessageLine().add("*** ERROR *** wavemods last time in datafile1 must be greater than 0, not")
                      .add(m.t_last));
  for (std::size_t j = 0; j < m.time.size(); ++j) {
    if (j > 0 && !(m.time[j] > m.time[j - 1]))
      return refuse(MessageLine().add("*** ERROR *** wavemods times in datafile1 must increase; record")
                        .add(static_cast<std::int32_t>(j + 1)).add("has t=").add(m.time[j])
                        .add("after").add(m.time[j - 1]));
    if (!(m.eta[j] > m.z_bottom))
      return refuse(MessageLine().add("*** ERROR *** wavemods surface at or below the bed in datafile1 at t=")
                        .add(m.time[j]).add(" eta=").add(m.eta[j]));
  }
  return true;
}

// The look-up places record j at (j-1) T_last/(nt-1); data on another grid
// are still replayed, but at shifted times, so say so once.
void report_uneven_times(const WavemodsModel& m) {
  const double step = m.t_last / (m.nt - 1);
  for (std::size_t j = 0; j < m.time.size(); ++j) {
    const double expected = static_cast<double>(j) * step;
    if (std::fabs(m.time[j] - expected) > kTimeGridTolerance * step) {
      write_message("*** ERROR *** wavemods times in datafile1 do not run from 0 in steps of ", step,
                    " s; the look-up assumes they do. Record ", static_cast<std::int32_t>(j + 1),
                    " has t=", m.time[j]);
      return;
    }
  }
}

// The lowest level sits on the bed at every time exactly when sigma_1 = 0.
void check_bottom_level(const WavemodsModel& m) {
  const auto nd = static_cast<std::size_t>(m.nd);
  for (std::size_t j = 0; j < m.time.size(); ++j) {
    if (m.level_z[j * nd] != m.z_bottom) {
      write_line("*** ERROR *** min depth in datafile is not constant for all discrete times. t=");
      write_message(m.time[j]);
    }
  }
}

}  // namespace

bool wavemods_init(WavemodsModel& m) {
  require_file(m.file1);
  require_file(m.file2);
  if (!valid_counts(m)) return false;

  const auto nd = static_cast<std::size_t>(m.nd);
  const auto nt = static_cast<std::size_t>(m.nt);
  std::vector<double> sigma;
  try {
    sigma.assign(nd, 0.0);
    for (auto* table : {&m.level_z, &m.u, &m.w, &m.ax, &m.az}) table->assign(nt * nd, 0.0);
    m.time.assign(nt, 0.0);
    m.eta.assign(nt, 0.0);
  } catch (const std::bad_alloc&) {
    for (auto* table : {&m.level_z, &m.u, &m.w, &m.ax, &m.az, &m.time, &m.eta}) *table = {};
    return refuse(MessageLine().add("*** ERROR *** not enough memory for the wavemods data tables"));
  }

  write_line(" pelm_dll:wavemods_init: reading datafile");
  read_file1(m, sigma);
  read_file2(m);
  write_message("  pelm_dll:wavemods_init: data read for ", m.nt, " discrete times");
  m.t_last = m.time[nt - 1];

  if (!valid_sigma(sigma) || !valid_records(m)) return false;
  report_uneven_times(m);
  check_bottom_level(m);
  return true;
}

}  // namespace pelm
