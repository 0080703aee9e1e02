// The external-data replay (wavemods) per point, against a straightforward
// replay written here that finds the record and the level by scanning.
//
//   BM_Reference_Kinematics/nd/nt  per point: linear scan of the times for
//                                  the record pair and of each record's
//                                  levels for the interval, then the same
//                                  interpolations.
//   BM_Kinematics/nd/nt            per point: the library's kinematics call
//                                  (elevation included, as the host's call
//                                  does): record from tau / T_last, levels
//                                  by bisection.
//
// The tables are filled in memory (no files): nd levels on sigma = i/(nd-1),
// nt records 0.1 s apart of a 10 s wave in 30 m of water. Query points come
// from a ring of 256 (time, height) pairs spread over the whole record and
// the whole column, so neither the record nor the level can be hoisted out
// of the loop. Before the runs both replays are compared on every point.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "interface/library_state.h"
#include "models/external/wavemods_model.h"
#include "numerics/interpolation.h"

namespace {

using pelm::WavemodsModel;

WavemodsModel make_model(int nd, int nt) {
  WavemodsModel m;
  m.nd = nd;
  m.nt = nt;
  m.z_bottom = -30.0;
  const double omega = 2.0 * 3.141592653589793 / 10.0;
  const auto n = static_cast<std::size_t>(nd) * static_cast<std::size_t>(nt);
  for (auto* table : {&m.level_z, &m.u, &m.w, &m.ax, &m.az}) table->assign(n, 0.0);
  for (int j = 0; j < nt; ++j) {
    const double t = 0.1 * j;
    m.time.push_back(t);
    m.eta.push_back(std::sin(omega * t));
    for (int i = 0; i < nd; ++i) {
      const double sigma = static_cast<double>(i) / (nd - 1);
      const std::size_t at = static_cast<std::size_t>(j) * nd + i;
      m.level_z[at] = (m.eta.back() - m.z_bottom) * sigma + m.z_bottom;
      m.u[at] = std::cosh(sigma) * std::sin(omega * t);
      m.ax[at] = std::cosh(sigma) * std::cos(omega * t);
      m.w[at] = std::sinh(sigma) * std::cos(omega * t);
      m.az[at] = -std::sinh(sigma) * std::sin(omega * t);
    }
  }
  m.t_last = m.time.back();
  return m;
}

struct Query {
  double t, z;
};

std::vector<Query> queries(const WavemodsModel& m) {
  std::vector<Query> q;
  for (int p = 0; p < 256; ++p) {
    const double t = m.t_last * (p * 0.618034 - std::floor(p * 0.618034)) * 0.999;
    const double fraction = 0.02 + 0.96 * ((p * 37) % 256) / 255.0;
    q.push_back({t, -30.0 + 29.0 * fraction});
  }
  return q;
}

// The same replay with scans instead of the uniform-step look-up and the
// bisection.
std::array<double, 4> reference(const WavemodsModel& m, double t, double z) {
  const auto nd = static_cast<std::size_t>(m.nd);
  std::size_t r = 0;
  while (r + 2 < m.time.size() && m.time[r + 1] <= t) ++r;
  const double eta = pelm::interpolate_two_point(t, m.time[r], m.time[r + 1], m.eta[r], m.eta[r + 1]);
  if (!(z < eta) || !(z > m.z_bottom)) return {0, 0, 0, 0};
  const double s = (z - m.z_bottom) / (eta - m.z_bottom);
  std::array<double, 4> out{};
  std::array<std::array<double, 4>, 2> at_record{};
  for (std::size_t q = 0; q < 2; ++q) {
    const std::size_t row = (r + q) * nd;
    const double zeta = (m.eta[r + q] - m.z_bottom) * s + m.z_bottom;
    std::size_t k = 0;
    while (k + 2 < nd && m.level_z[row + k + 1] <= zeta) ++k;
    const double z1 = m.level_z[row + k], z2 = m.level_z[row + k + 1];
    const std::array<const std::vector<double>*, 4> tables = {&m.u, &m.ax, &m.w, &m.az};
    for (std::size_t c = 0; c < 4; ++c)
      at_record[q][c] = pelm::interpolate_two_point(zeta, z1, z2, (*tables[c])[row + k], (*tables[c])[row + k + 1]);
  }
  for (std::size_t c = 0; c < 4; ++c)
    out[c] = pelm::interpolate_two_point(t, m.time[r], m.time[r + 1], at_record[0][c], at_record[1][c]);
  return out;
}

std::array<double, 4> library(const WavemodsModel& m, pelm::LibraryState& state, double t, double z) {
  state.time = t;
  const double pos[3] = {0.0, 0.0, z};
  double vel[3], acc[3], pdyn;
  pelm::wavemods_kinematics(m, state, pos, vel, acc, pdyn);
  return {vel[0], acc[0], vel[2], acc[2]};
}

void check_agreement(const WavemodsModel& m) {
  pelm::LibraryState state;
  for (const Query& q : queries(m)) {
    const auto a = reference(m, q.t, q.z);
    const auto b = library(m, state, q.t, q.z);
    for (std::size_t c = 0; c < 4; ++c)
      if (std::fabs(a[c] - b[c]) > 1e-12 * (1.0 + std::fabs(a[c]))) {
        std::fprintf(stderr, "replays differ at t=%g z=%g: %g vs %g\n", q.t, q.z, a[c], b[c]);
        std::exit(1);
      }
  }
}

void BM_Reference_Kinematics(benchmark::State& bench) {
  const WavemodsModel m = make_model(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)));
  const auto q = queries(m);
  std::size_t p = 0;
  for (auto _ : bench) {
    benchmark::DoNotOptimize(reference(m, q[p].t, q[p].z));
    p = (p + 1) % q.size();
  }
}

void BM_Kinematics(benchmark::State& bench) {
  const WavemodsModel m = make_model(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)));
  check_agreement(m);
  const auto q = queries(m);
  pelm::LibraryState state;
  std::size_t p = 0;
  for (auto _ : bench) {
    benchmark::DoNotOptimize(library(m, state, q[p].t, q[p].z));
    p = (p + 1) % q.size();
  }
}

void shapes(benchmark::internal::Benchmark* b) {
  for (int nd : {11, 101})
    for (int nt : {281, 36001}) b->Args({nd, nt});
}

BENCHMARK(BM_Reference_Kinematics)->Apply(shapes);
BENCHMARK(BM_Kinematics)->Apply(shapes);

}  // namespace

BENCHMARK_MAIN();
