#include "models/irregular/wave_field_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "interface/library_state.h"
#include "models/irregular/linear_field.h"
#include "numerics/interpolation.h"
#include "numerics/sine_cosine.h"
#include "runtime/console.h"
#include "runtime/memory_budget.h"

namespace pelm {
namespace {

constexpr std::size_t kValues = 7;  // u, v, w, ax, ay, az, p per node
// Floor of the lateral spacing and of a depth cell, so that the
// interpolation weights stay finite where two nodes coincide.
constexpr double kMinimumCell = 1e-07;
// Nudge of the query time into the cell it starts, so that a host time that
// falls on a node in exact arithmetic is not rounded into the cell before.
constexpr double kTimeNudge = 1e-07;

bool refuse(const char* what, double value) {
  write_message("*** ERROR *** ", what, value, " - wave model not set up");
  return false;
}

bool valid_input(const PregenGrid& grid) {
  if (grid.nz < 2) return refuse("pregen_field z_resolution must be at least 2, not", double(grid.nz));
  if (grid.ny < 1) return refuse("pregen_field y_resolution must be at least 1, not", double(grid.ny));
  if (!(grid.dt_grid >= 0.0)) return refuse("pregen_field t_resolution must not be negative, not", grid.dt_grid);
  if (!(grid.x_range >= 0.0)) return refuse("pregen_field x_range must not be negative, not", grid.x_range);
  if (grid.ny > 1 && !(grid.dy > 0.0)) return refuse("pregen_field y spacing must be positive, not", grid.dy);
  return true;
}

// Group velocity d(omega)/dk of the linear dispersion relation.
double group_velocity(double k, double h) {
  const double kh = k * h;
  const double th = std::tanh(kh);
  return 0.5 * std::sqrt(LibraryState::gravity / k) * (kh + th - kh * th * th) / std::sqrt(th);
}

std::size_t clamp_index(double one_based, std::int32_t count) {
  // std::clamp passes NaN through, and a NaN index is no index at all.
  if (!(one_based >= 1.0)) return 0;
  const double clamped = std::min(one_based, static_cast<double>(count));
  return static_cast<std::size_t>(clamped) - 1;
}

double station_y(const PregenGrid& g, std::size_t j) {
  return static_cast<double>(j) * g.dy - (g.ny - 1) * 0.5 * g.dy;
}

const double* node_values(const PregenGrid& g, std::size_t i, std::size_t j, std::size_t l) {
  return &g.kinematics[((i * static_cast<std::size_t>(g.ny) + j) * static_cast<std::size_t>(g.nz) + l) * kValues];
}

// Fills the tables. Per grid node the components are added in their order,
// with the depth functions of every component at every level computed once.
void fill_tables(PregenGrid& g, const IregModel& model, double h) {
  const LinearFieldArrays& f = model.field;
  const std::size_t n = f.amplitude.size();
  const std::size_t nz = static_cast<std::size_t>(g.nz);
  const std::size_t ny = static_cast<std::size_t>(g.ny);

  // Per level l and component c: omega cosh/sinh, omega sinh/sinh,
  // omega^2 cosh/sinh, omega^2 sinh/sinh and rho g cosh/cosh, at [l * n + c].
  std::vector<double> fu(nz * n), fw(nz * n), fa(nz * n), faz(nz * n), fp(nz * n);
  for (std::size_t l = 0; l < nz; ++l) {
    for (std::size_t c = 0; c < n; ++c) {
      const DepthFactors d = depth_factors(f.k[c], h, g.level_height[l]);
      const double w = f.omega[c];
      fu[l * n + c] = w * d.cosh_over_sinh;
      fw[l * n + c] = w * d.sinh_over_sinh;
      fa[l * n + c] = w * w * d.cosh_over_sinh;
      faz[l * n + c] = w * w * d.sinh_over_sinh;
      fp[l * n + c] = LibraryState::density * LibraryState::gravity * d.cosh_over_cosh;
    }
  }

  std::vector<double> a_sin(n), a_cos(n);
  for (std::size_t j = 0; j < ny; ++j) {
    const double y = station_y(g, j);
    for (std::size_t i = 0; i < static_cast<std::size_t>(g.nt); ++i) {
      const double t = g.t_first + static_cast<double>(i) * g.dt_grid;
      double eta = 0.0;
      for (std::size_t c = 0; c < n; ++c) {
        const double alpha = t * f.omega[c] - f.k[c] * (y * f.sin_dir[c]) + f.phase[c];
        double sin_alpha = 0.0, cos_alpha = 0.0;
        sine_cosine(alpha, sin_alpha, cos_alpha);
        a_sin[c] = f.amplitude[c] * sin_alpha;
        a_cos[c] = f.amplitude[c] * cos_alpha;
        eta += a_sin[c];
      }
      g.eta[i * ny + j] = eta;
      for (std::size_t l = 0; l < nz; ++l) {
        const double* lu = &fu[l * n];
        const double* lw = &fw[l * n];
        const double* la = &fa[l * n];
        const double* laz = &faz[l * n];
        const double* lp = &fp[l * n];
        double u = 0.0, v = 0.0, w = 0.0, ax = 0.0, ay = 0.0, az = 0.0, p = 0.0;
        for (std::size_t c = 0; c < n; ++c) {
          const double uh = lu[c] * a_sin[c];
          u += uh * f.cos_dir[c];
          v += uh * f.sin_dir[c];
          w += lw[c] * a_cos[c];
          const double ah = la[c] * a_cos[c];
          ax += ah * f.cos_dir[c];
          ay += ah * f.sin_dir[c];
          az -= laz[c] * a_sin[c];
          p += lp[c] * a_sin[c];
        }
        double* out = &g.kinematics[((i * ny + j) * nz + l) * kValues];
        out[0] = u;
        out[1] = v;
        out[2] = w;
        out[3] = ax;
        out[4] = ay;
        out[5] = az;
        out[6] = p;
      }
    }
  }
}

}  // namespace

bool build_wave_field_grid(IregModel& model, LibraryState& state, double t_start, double t_end,
                           double omega_max) {
  if (!model.precompute) return true;
  if (!model.grid) model.grid = std::make_unique<PregenGrid>();
  PregenGrid& g = *model.grid;
  if (!valid_input(g)) return false;
  if (model.components.empty()) {
    // A calm sea: nothing to tabulate, the direct sum answers 0 everywhere.
    model.precompute = false;
    return true;
  }
  write_line("In Pelm_dll, calculating wave field");

  const double h = state.depth;
  const auto dominant = std::max_element(
      model.components.begin(), model.components.end(),
      [](const WaveComponent& a, const WaveComponent& b) { return a.amplitude < b.amplitude; });
  g.c_g = group_velocity(dominant->k, h);
  g.t_x = g.x_range / g.c_g;
  if (g.dt_grid == 0.0) g.dt_grid = 2.0 * kPi / omega_max / 10.0;
  const double nt = std::round((t_end - t_start + 2.0 * g.t_x) / g.dt_grid);
  if (!(g.c_g > 0.0 && std::isfinite(g.t_x) && g.dt_grid > 0.0 && std::isfinite(nt)))
    return refuse("precomputed wave field has no usable time step; grid time step =", g.dt_grid);
  if (nt < 2.0) return refuse("precomputed wave field needs at least 2 time nodes, it has", nt);
  const double values = nt * g.ny * (1.0 + kValues * g.nz);
  if (values * sizeof(double) > kMaxSetUpBytes || nt > std::numeric_limits<std::int32_t>::max())
    return refuse("precomputed wave field too large, megabytes:", values * sizeof(double) / 1048576.0);
  // Every node level sums every component: beyond 2e9 terms (twice a 3-hour
  // grid of 1000 components) the build would run for many minutes (a long
  // record kept whole, say).
  const double terms = nt * g.ny * g.nz * static_cast<double>(model.components.size());
  if (terms > 2e9)
    return refuse("precomputed wave field would take too long to build (grid nodes x components):", terms);

  g.nt = static_cast<std::int32_t>(nt);
  if (g.ny == 1) g.dy = kMinimumCell;
  g.t_first = t_start - g.t_x;
  g.level_height.resize(static_cast<std::size_t>(g.nz));
  for (std::int32_t l = 0; l < g.nz; ++l)
    g.level_height[static_cast<std::size_t>(l)] = h * std::sin(l * kPi / (2.0 * (g.nz - 1)));
  try {
    g.eta.assign(static_cast<std::size_t>(g.nt) * static_cast<std::size_t>(g.ny), 0.0);
    g.kinematics.assign(static_cast<std::size_t>(values) - g.eta.size(), 0.0);
  } catch (const std::bad_alloc&) {
    g.eta = {};
    g.kinematics = {};
    return refuse("not enough memory for the precomputed wave field, megabytes:",
                  values * sizeof(double) / 1048576.0);
  }
  fill_tables(g, model, h);
  state.time = 0.0;
  write_line("In Pelm_dll, calculating wave field - done");
  return true;
}

GridPoint locate_in_grid(const PregenGrid& g, double t, double x, double y) {
  GridPoint p;
  const double tau = t - x / g.c_g - g.t_first + kTimeNudge;
  p.i1 = clamp_index(std::floor(tau / g.dt_grid) + 1.0, g.nt);
  p.i2 = clamp_index(std::floor((tau + g.dt_grid) / g.dt_grid) + 1.0, g.nt);
  p.tau_r = cell_remainder(tau, 0.0, g.dt_grid);
  p.time = two_point_weights(p.tau_r, 0.0, g.dt_grid);
  if (g.ny > 1) {
    p.j1 = clamp_index(std::floor(y / g.dy + (g.ny - 1) * 0.5 + 1.0), g.ny);
    p.j2 = std::min<std::size_t>(p.j1 + 1, static_cast<std::size_t>(g.ny) - 1);
    p.y_r = y - station_y(g, p.j1);
    p.lateral = two_point_weights(p.y_r, 0.0, g.dy);
  }
  return p;
}

double grid_elevation(const PregenGrid& g, const GridPoint& p) {
  const auto ny = static_cast<std::size_t>(g.ny);
  if (g.ny == 1) return interpolate(p.time, g.eta[p.i1], g.eta[p.i2]);
  return interpolate_bilinear(p.tau_r, p.y_r, 0.0, 0.0, g.dt_grid, g.dy, g.eta[p.i1 * ny + p.j1],
                              g.eta[p.i2 * ny + p.j1], g.eta[p.i2 * ny + p.j2],
                              g.eta[p.i1 * ny + p.j2]);
}

// All seven values (velocity, acceleration, pressure) are interpolated with
// the same weights per axis: laterally, then in depth, then in time.
void grid_kinematics(const PregenGrid& g, const GridPoint& p, double h, double s, double* vel,
                     double* acc, double& pdyn) {
  const std::size_t l1 = clamp_index(
      std::floor(1.0 + 2.0 * (g.nz - 1) * std::asin(std::min(s / h, 1.0)) / kPi), g.nz);
  const std::size_t l2 = std::min<std::size_t>(l1 + 1, static_cast<std::size_t>(g.nz) - 1);
  const double z_r = s - g.level_height[l1];
  const double dz = std::max(g.level_height[l2] - g.level_height[l1], kMinimumCell);
  const TwoPointWeights depth = two_point_weights(z_r, 0.0, dz);

  double at_time[2][kValues];
  const std::size_t times[2] = {p.i1, p.i2};
  for (std::size_t a = 0; a < 2; ++a) {
    double corner[2][kValues];
    const std::size_t levels[2] = {l1, l2};
    for (std::size_t b = 0; b < 2; ++b) {
      const double* first = node_values(g, times[a], p.j1, levels[b]);
      if (g.ny == 1) {
        std::copy(first, first + kValues, corner[b]);
      } else {
        const double* second = node_values(g, times[a], p.j2, levels[b]);
        for (std::size_t q = 0; q < kValues; ++q) corner[b][q] = interpolate(p.lateral, first[q], second[q]);
      }
    }
    for (std::size_t q = 0; q < kValues; ++q) at_time[a][q] = interpolate(depth, corner[0][q], corner[1][q]);
  }
  double out[kValues];
  for (std::size_t q = 0; q < kValues; ++q) out[q] = interpolate(p.time, at_time[0][q], at_time[1][q]);
  std::copy(out, out + 3, vel);
  std::copy(out + 3, out + 6, acc);
  pdyn = out[6];
}

}  // namespace pelm
