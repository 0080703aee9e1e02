// Replay of the loaded records. The working values (record index, carried
// elevations, level indices) are locals: the record is only read.

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "interface/library_state.h"
#include "models/external/wavemods_model.h"
#include "numerics/interpolation.h"
#include "runtime/console.h"
#include "runtime/platform.h"

namespace pelm {
namespace {

// The two records bracketing the look-up time, and the time to interpolate
// at between them.
struct Bracket {
  std::size_t r = 0;  // first record of the pair, counted from 0
  double tau = 0.0;
};

// Records start at 0 with a constant step, so the bracket comes from
// tau / T_last without a search. Outside the data tau is pinned to the end
// record, where the two-point weights are exactly 1 and 0.
Bracket bracket(const WavemodsModel& m, double tau) {
  const double last_pair = static_cast<double>(m.nt - 1);  // one-based index of the last pair
  if (tau <= m.time.front()) return Bracket{0, m.time.front()};
  if (tau >= m.t_last) return Bracket{static_cast<std::size_t>(m.nt - 2), m.t_last};
  double r = std::floor(static_cast<double>(m.nt - 1) * (tau / m.t_last) + 1.0);
  // tau just below T_last can round onto the last record itself; a time
  // before the first record when the times do not start at 0 (reported at
  // set-up) lands below 1. NaN stays NaN: pin it too.
  if (!(r >= 1.0)) r = 1.0;
  if (r > last_pair) r = last_pair;
  return Bracket{static_cast<std::size_t>(r) - 1, tau};
}

double elevation_at(const WavemodsModel& m, const Bracket& b) {
  return interpolate_two_point(b.tau, m.time[b.r], m.time[b.r + 1], m.eta[b.r], m.eta[b.r + 1]);
}

// The level interval of the carried elevation zeta in the column of one
// record, counted from 0. Out of the column (only when the level fractions
// do not span 0 .. 1) the operator is told and the nearest interval serves,
// extrapolating along it.
std::size_t level_interval(const WavemodsModel& m, std::size_t record, double zeta) {
  const double* column = &m.level_z[record * static_cast<std::size_t>(m.nd)];
  std::int32_t k = locate_level(column, m.nd, zeta);
  if (k == 0 || k == m.nd) {
    write_line(" *** ERROR *** locate is out of array bounds, paused");
    pause_for_operator();
    k = k == 0 ? 1 : m.nd - 1;
  }
  return static_cast<std::size_t>(k - 1);
}

// q at the carried elevation zeta of one record, between levels k and k+1.
double at_level(const std::vector<double>& q, const double* column, std::size_t row,
                std::size_t k, double zeta) {
  return interpolate_two_point(zeta, column[k], column[k + 1], q[row + k], q[row + k + 1]);
}

}  // namespace

std::int32_t locate_level(const double* xx, std::int32_t n, double x) {
  const bool ascending = xx[n - 1] >= xx[0];
  std::int32_t jl = 0;
  std::int32_t ju = n + 1;
  while (ju - jl > 1) {
    const std::int32_t jm = (ju + jl) / 2;
    if ((x >= xx[jm - 1]) == ascending)
      jl = jm;
    else
      ju = jm;
  }
  if (x == xx[0]) return 1;
  if (x == xx[n - 1]) return n - 1;
  return jl;
}

void wavemods_elevation(const WavemodsModel& m, const LibraryState& state, double& eta) {
  eta = elevation_at(m, bracket(m, state.time + m.t0));
}

void wavemods_kinematics(const WavemodsModel& m, const LibraryState& state, const double* pos,
                         double* vel, double* acc, double& pdyn) {
  pdyn = 0.0;
  for (int c = 0; c < 3; ++c) vel[c] = acc[c] = 0.0;
  const Bracket b = bracket(m, state.time + m.t0);
  const double eta_now = elevation_at(m, b);
  const double z = pos[2];
  const double z_b = m.z_bottom;
  // Written so that a NaN position (or time) gets zeros too.
  if (!(z < eta_now) || !(z > z_b)) return;

  const std::size_t r0 = b.r;
  const std::size_t r1 = b.r + 1;
  const double s = (z - z_b) / (eta_now - z_b);
  const double zeta0 = (m.eta[r0] - z_b) * s + z_b;
  const double zeta1 = (m.eta[r1] - z_b) * s + z_b;
  const std::size_t k0 = level_interval(m, r0, zeta0);
  const std::size_t k1 = level_interval(m, r1, zeta1);

  const auto nd = static_cast<std::size_t>(m.nd);
  const std::size_t row0 = r0 * nd;
  const std::size_t row1 = r1 * nd;
  const double* column0 = &m.level_z[row0];
  const double* column1 = &m.level_z[row1];
  const double t0 = m.time[r0];
  const double t1 = m.time[r1];
  const auto in_time = [&](const std::vector<double>& q) {
    const double q0 = at_level(q, column0, row0, k0, zeta0);
    const double q1 = at_level(q, column1, row1, k1, zeta1);
    return interpolate_two_point(b.tau, t0, t1, q0, q1);
  };
  vel[0] = in_time(m.u);
  acc[0] = in_time(m.ax);
  vel[2] = in_time(m.w);
  acc[2] = in_time(m.az);
}

}  // namespace pelm
