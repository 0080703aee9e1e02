#include "models/irregular/wave_field_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "interface/library_state.h"
#include "models/irregular/field_kernels.h"
#include "models/irregular/linear_field.h"
#include "numerics/interpolation.h"
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

// The two-point weights at x in the cell [0, width]: one division.
TwoPointWeights cell_weights(double x, double width) {
  const double w2 = x / width;
  return TwoPointWeights{1.0 - w2, w2};
}

double station_y(const PregenGrid& g, std::size_t j) {
  return static_cast<double>(j) * g.dy - (g.ny - 1) * 0.5 * g.dy;
}

const double* node_values(const PregenGrid& g, std::size_t i, std::size_t j, std::size_t l) {
  return &g.kinematics[((i * static_cast<std::size_t>(g.ny) + j) * static_cast<std::size_t>(g.nz) + l) * kValues];
}

// Fills the tables. Per grid node the phases of every component are
// evaluated once; the depth functions of every component at every level,
// with the amplitude folded in, once for the whole build.
void fill_tables(PregenGrid& g, const IregModel& model, double h) {
  const LinearFieldArrays& f = model.field;
  const std::size_t n = f.padded;
  const std::size_t nz = static_cast<std::size_t>(g.nz);
  const std::size_t ny = static_cast<std::size_t>(g.ny);
  const FieldKernels& kernels = field_kernels();

  // Per level l and component c at [l * n + c]: omega A cosh/sinh,
  // omega A sinh/sinh, omega^2 A cosh/sinh, omega^2 A sinh/sinh and
  // rho g A cosh/cosh; 0 in the padding.
  AlignedVector<double> fu(nz * n, 0.0), fw(nz * n, 0.0), fa(nz * n, 0.0), faz(nz * n, 0.0),
      fp(nz * n, 0.0);
  for (std::size_t l = 0; l < nz; ++l) {
    for (std::size_t c = 0; c < f.count; ++c) {
      const DepthFactors d = depth_factors(f.k[c], h, g.level_height[l]);
      const double wa = f.omega[c] * f.amplitude[c];
      const double wwa = f.omega[c] * wa;
      fu[l * n + c] = wa * d.cosh_over_sinh;
      fw[l * n + c] = wa * d.sinh_over_sinh;
      fa[l * n + c] = wwa * d.cosh_over_sinh;
      faz[l * n + c] = wwa * d.sinh_over_sinh;
      fp[l * n + c] = LibraryState::density * LibraryState::gravity * f.amplitude[c] * d.cosh_over_cosh;
    }
  }

  AlignedVector<double> sin_alpha(n), cos_alpha(n);
  for (std::size_t j = 0; j < ny; ++j) {
    const double y = station_y(g, j);
    for (std::size_t i = 0; i < static_cast<std::size_t>(g.nt); ++i) {
      const double t = g.t_first + static_cast<double>(i) * g.dt_grid;
      g.eta[i * ny + j] = kernels.phases(f, t, 0.0, y, sin_alpha.data(), cos_alpha.data());
      for (std::size_t l = 0; l < nz; ++l) {
        const LevelFactors level{&fu[l * n], &fw[l * n], &fa[l * n], &faz[l * n], &fp[l * n]};
        kernels.level_sums(f, sin_alpha.data(), cos_alpha.data(), level,
                           &g.kinematics[((i * ny + j) * nz + l) * kValues]);
      }
    }
  }
}

// The slices of the level search: enough that each is at most half the
// thinnest cell (within a cap, past which the search walks a few more
// levels), and per slice the last level at or below half a slice under its
// foot, short of the top level: from there, a height in the slice is at most
// one level up, and that level exists.
void build_level_search(PregenGrid& g, double h) {
  constexpr double kMaxSlices = 65536.0;
  double thinnest = h;
  for (std::size_t l = 0; l + 1 < g.level_height.size(); ++l)
    thinnest = std::min(thinnest, std::max(g.level_height[l + 1] - g.level_height[l], kMinimumCell));
  const double slices = std::min(std::ceil(2.0 * h / thinnest), kMaxSlices);
  g.level_slice_scale = slices / h;
  g.level_of_slice.assign(static_cast<std::size_t>(slices), 0);
  std::uint32_t l = 0;
  for (std::size_t b = 0; b < g.level_of_slice.size(); ++b) {
    // Half a slice below the foot, so that a height whose slice index
    // rounded up still lies above the level given.
    const double foot = (static_cast<double>(b) - 0.5) / g.level_slice_scale;
    while (l + 2 < g.level_height.size() && g.level_height[l + 1] <= foot) ++l;
    g.level_of_slice[b] = l;
  }
}

}  // namespace

std::size_t level_below(const PregenGrid& g, double s) {
  const double slice = s * g.level_slice_scale;
  const std::size_t last = g.level_of_slice.size() - 1;
  // NaN and heights below the bed take the first slice.
  const std::size_t b =
      slice > 0.0 ? (slice < static_cast<double>(last) ? static_cast<std::size_t>(slice) : last) : 0;
  const double* level = g.level_height.data();
  const std::size_t top = g.level_height.size() - 1;
  std::size_t l = g.level_of_slice[b];
  // One level up at most, without a branch, as the heights come in no order;
  // more only where the slices were capped.
  l += static_cast<std::size_t>(level[l + 1] <= s);
  while (l < top && level[l + 1] <= s) ++l;
  return l;
}

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
  // 1 / the height of the cell above each level; the top level's cell is the
  // floor height, as is any thinner one.
  g.inverse_level_cell.resize(g.level_height.size());
  for (std::size_t l = 0; l < g.level_height.size(); ++l) {
    const std::size_t above = std::min(l + 1, g.level_height.size() - 1);
    g.inverse_level_cell[l] = 1.0 / std::max(g.level_height[above] - g.level_height[l], kMinimumCell);
  }
  g.depth = h;
  build_level_search(g, h);
  g.inverse_c_g = 1.0 / g.c_g;
  g.inverse_dt = 1.0 / g.dt_grid;
  try {
    g.eta.assign(static_cast<std::size_t>(g.nt) * static_cast<std::size_t>(g.ny), 0.0);
    g.kinematics.assign(static_cast<std::size_t>(values) - g.eta.size(), 0.0);
  } catch (const std::bad_alloc&) {
    g.eta = {};
    g.kinematics = {};
    return refuse("not enough memory for the precomputed wave field, megabytes:",
                  values * sizeof(double) / 1048576.0);
  }
  g.located = false;
  fill_tables(g, model, h);
  state.time = 0.0;
  write_line("In Pelm_dll, calculating wave field - done");
  return true;
}

namespace {

// The elevation at a located point, interpolated.
double elevation_at(const PregenGrid& g, const GridPoint& p) {
  const auto ny = static_cast<std::size_t>(g.ny);
  if (g.ny == 1) return interpolate(p.time, g.eta[p.i1], g.eta[p.i2]);
  return interpolate_bilinear(p.tau_r, p.y_r, 0.0, 0.0, g.dt_grid, g.dy, g.eta[p.i1 * ny + p.j1],
                              g.eta[p.i2 * ny + p.j1], g.eta[p.i2 * ny + p.j2],
                              g.eta[p.i1 * ny + p.j2]);
}

// Fills p in place: the located point is read field by field right after.
void locate_into(const PregenGrid& g, double t, double x, double y, GridPoint& p) {
  // Reciprocals rather than divisions: the look-up is one chain of dependent
  // operations, and a division is its longest link. One cell index serves
  // both nodes and the remainder: the nodes are consecutive (clamped apart).
  const double tau = t - x * g.inverse_c_g - g.t_first + kTimeNudge;
  const double cell = std::floor(tau * g.inverse_dt);
  // The node indices in integers, from the cell kept within [-1, nt] (NaN
  // to -1) so that the conversion is defined.
  const auto last = static_cast<std::int64_t>(g.nt) - 1;
  const auto first_node =
      static_cast<std::int64_t>(cell >= -1.0 ? std::min(cell, static_cast<double>(g.nt)) : -1.0);
  p.i1 = static_cast<std::size_t>(std::clamp<std::int64_t>(first_node, 0, last));
  p.i2 = static_cast<std::size_t>(std::clamp<std::int64_t>(first_node + 1, 0, last));
  p.tau_r = tau - g.dt_grid * cell;
  const double w2 = p.tau_r * g.inverse_dt;
  p.time = TwoPointWeights{1.0 - w2, w2};
  if (g.ny > 1) {
    p.j1 = clamp_index(std::floor(y / g.dy + (g.ny - 1) * 0.5 + 1.0), g.ny);
    p.j2 = std::min<std::size_t>(p.j1 + 1, static_cast<std::size_t>(g.ny) - 1);
    p.y_r = y - station_y(g, p.j1);
    p.lateral = cell_weights(p.y_r, g.dy);
  }
  p.eta = elevation_at(g, p);
  // Wheeler's factor here, worked out while the host's call returns.
  p.stretch = p.eta + g.depth > 0.0 ? g.depth / (p.eta + g.depth) : 0.0;
}

}  // namespace

GridPoint locate_in_grid(const PregenGrid& g, double t, double x, double y) {
  GridPoint p;
  locate_into(g, t, x, y, p);
  return p;
}

const GridPoint& locate_anew(const PregenGrid& g, double t, double x, double y) {
  locate_into(g, t, x, y, g.located_point);
  g.located = true;
  g.located_t = t;
  g.located_x = x;
  g.located_y = y;
  return g.located_point;
}

// All seven values (velocity, acceleration, pressure) are interpolated with
// the same weights per axis: laterally, then in depth, then in time. The
// values of a node are contiguous, and so are the two levels of a cell.
void grid_kinematics(const PregenGrid& g, const GridPoint& p, double s, double* vel,
                     double* acc, double& pdyn) {
  // The level cell holding s; s at or above the surface takes the top level.
  const std::size_t l1 = level_below(g, s);
  const std::size_t up = l1 + 1 < static_cast<std::size_t>(g.nz) ? kValues : 0;  // to level l1 + 1
  const double w2 = (s - g.level_height[l1]) * g.inverse_level_cell[l1];
  const TwoPointWeights depth{1.0 - w2, w2};

  const double* early = node_values(g, p.i1, p.j1, l1);
  const double* late = node_values(g, p.i2, p.j1, l1);
  double out[kValues];
  if (g.ny == 1) {
    for (std::size_t q = 0; q < kValues; ++q)
      out[q] = interpolate(p.time, interpolate(depth, early[q], early[q + up]),
                           interpolate(depth, late[q], late[q + up]));
  } else {
    const std::ptrdiff_t side = node_values(g, p.i1, p.j2, l1) - early;  // to station j2
    const auto at_time = [&](const double* v, std::size_t q) {
      return interpolate(depth, interpolate(p.lateral, v[q], v[q + side]),
                         interpolate(p.lateral, v[q + up], v[q + up + side]));
    };
    for (std::size_t q = 0; q < kValues; ++q)
      out[q] = interpolate(p.time, at_time(early, q), at_time(late, q));
  }
  write_kinematics(out, vel, acc, pdyn);
}

}  // namespace pelm
