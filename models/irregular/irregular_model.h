#pragma once
// Wave model 1, ireg_airy: an irregular linear sea synthesised from a
// spectrum, and the linear component set that the deterministic model shares.
//
// Frame: x, y horizontal, z up, z = 0 at still water, bed at z = -h (SI units).
// A component (A, omega, phi, k, theta) contributes A sin(alpha) to the
// elevation with alpha = omega t - k (x cos(theta) + y sin(theta)) + phi; it
// travels in the direction theta measured from +x towards +y.
// Stretching option 0: kinematics up to the still-water level only.
// Stretching option 1 (Wheeler): up to the instantaneous surface, the column
// from the bed to eta mapped onto the still-water column.
// Outside the water (above the surface level of the option, or below the bed)
// every output is 0. Accelerations are local (no convective terms); the
// dynamic pressure excludes the hydrostatic part.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "runtime/aligned_vector.h"

#include "numerics/interpolation.h"

namespace pelm {

struct CommandFile;
struct LibraryState;

// One linear wave.
struct WaveComponent {
  double amplitude = 0.0;  // A (m)
  double omega = 0.0;      // angular frequency (rad/s)
  double phase = 0.0;      // phi (rad), phase of the sine at x = y = 0, t = 0
  double k = 0.0;          // wave number (rad/m)
  double direction = 0.0;  // theta (rad) from +x towards +y
};

// The evaluation's view of a component set: one array per quantity, with the
// constants that do not depend on the query folded in once at set-up. With
// r = exp(-k h), the depth functions are written overflow-free as
//   cosh(k zs)/sinh(k h) = (Q + M)/(1 - r^2),  sinh(k zs)/sinh(k h) = (Q - M)/(1 - r^2),
//   cosh(k zs)/cosh(k h) = (Q + M)/(1 + r^2),
// Q = exp(k (zs - h)), M = exp(-k (zs + h)) = r^2 / Q, both in [0, 1] for
// 0 <= zs <= h, so that short waves in deep water give 0 rather than inf/inf.
//
// The arrays are padded to a multiple of kFieldPadding entries with
// components of zero amplitude, so that the vector kernels run whole vectors.
constexpr std::size_t kFieldPadding = 8;
struct LinearFieldArrays {
  std::size_t count = 0;   // components
  std::size_t padded = 0;  // entries of every array, count rounded up
  AlignedVector<double> amplitude, omega, phase, k, cos_dir, sin_dir;
  AlignedVector<double> k_x, k_y;             // k cos(theta), k sin(theta)
  AlignedVector<double> r_squared;            // exp(-2 k h)
  AlignedVector<double> velocity_factor;      // omega A / (1 - r^2)
  AlignedVector<double> acceleration_factor;  // omega^2 A / (1 - r^2)
  AlignedVector<double> pressure_factor;      // rho g A / (1 + r^2)
  // The horizontal factors with the direction folded in: velocity_factor
  // cos(theta), velocity_factor sin(theta), and the same of the acceleration.
  AlignedVector<double> velocity_x, velocity_y, acceleration_x, acceleration_y;
  // Largest |omega|, |k| and |phi|: a bound on the phases of a query.
  double omega_max = 0.0, k_max = 0.0, phase_max = 0.0;
  // Scratch of the evaluation: sin and cos of every component's phase at the
  // last (t, x, y) evaluated by `scratch_kernels`, and the elevation there,
  // reused when the kinematics follow the elevation at the same time and
  // place.
  mutable AlignedVector<double> scratch_sin, scratch_cos;
  mutable double scratch_t = 0.0, scratch_x = 0.0, scratch_y = 0.0, scratch_eta = 0.0;
  mutable const void* scratch_kernels = nullptr;  // null: nothing kept
};

// Where a query at time t and (x, y) falls in the grid: its time cell after
// the shift by x / c_g and its lateral cell, with their interpolation weights.
struct GridPoint {
  std::size_t i1 = 0, i2 = 0;  // time nodes, clamped to the grid
  double tau_r = 0.0;          // time within the cell (s)
  TwoPointWeights time;
  std::size_t j1 = 0, j2 = 0;  // lateral stations, clamped
  double y_r = 0.0;            // position from station j1 (m)
  TwoPointWeights lateral;
  double eta = 0.0;            // the elevation there
  double stretch = 1.0;        // h / (eta + h), Wheeler's factor there (0: no column)
};

// Grid of the precomputed field: time x lateral station x depth level, along
// the line x = 0; other x are served by a shift in time by x / c_g.
struct PregenGrid {
  // Input (pregen_field sub-block).
  std::int32_t nz = 15;      // depth levels
  std::int32_t ny = 1;       // lateral stations, odd
  double dt_grid = 0.0;      // s; 0: a tenth of the shortest period
  double dy = 0.0;           // m
  double x_range = 100.0;    // m
  // Derived by the build.
  std::int32_t nt = 0;       // time nodes
  double t_first = 0.0;      // time of the first node (s)
  double t_x = 0.0;          // x_range / c_g (s)
  double c_g = 0.0;          // group velocity of the dominant component (m/s)
  double depth = 0.0;        // water depth the grid was built for (m)
  std::vector<double> level_height;  // s_l above the bed, l = 0 .. nz-1
  // Reciprocals for the look-up: of c_g, of dt_grid, and of the height of
  // the level cell above s_l (at least 1e-07 m).
  double inverse_c_g = 0.0, inverse_dt = 0.0;
  std::vector<double> inverse_level_cell;
  // The level search: for each of the equal slices [b, b + 1) /
  // level_slice_scale of the column the last level at or below the slice's
  // foot (below the top level). Slices are at most half the thinnest cell,
  // so a height lies at most one level above its slice's.
  std::vector<std::uint32_t> level_of_slice;
  double level_slice_scale = 0.0;
  std::vector<double> eta;           // [i * ny + j]
  std::vector<double> kinematics;    // 7 values u, v, w, ax, ay, az, p at [((i * ny + j) * nz + l) * 7]
  // Scratch of the look-up: the last located query, so that the kinematics
  // at the time and place of the elevation just asked for locate nothing.
  // On cache lines of their own, away from the tables' bookkeeping.
  alignas(64) mutable GridPoint located_point;
  mutable double located_t = 0.0, located_x = 0.0, located_y = 0.0;
  mutable bool located = false;
};

struct IregModel {
  std::int32_t stretching = 1;
  std::int32_t spectrum = 1;          // 1 JONSWAP, 2 Pierson-Moskowitz, 3 white noise
  std::int32_t spreading = 0;         // 1: cos^(2s) directional spreading
  std::int32_t spreading_exponent = 4;
  std::optional<std::array<double, 3>> jonswap;  // Hs (m), Tp (s), gamma
  std::optional<std::array<double, 2>> pm;       // Hs (m), Tz (s)
  std::optional<std::array<double, 2>> wn;       // variance V (m^2), cut-off fc (Hz)
  std::int32_t component_count = 0;
  std::int32_t seed = 1;
  bool precompute = true;
  std::unique_ptr<PregenGrid> grid;

  // Filled by the set-up.
  std::vector<WaveComponent> components;  // in increasing frequency
  double omega_low = 0.0;
  double delta_omega = 0.0;
  LinearFieldArrays field;
};

// Reads the block "begin ireg_airy; ... end;" (with its pregen_field sub-block).
void ireg_airy_input(CommandFile*& current, IregModel& model);

// Reads the sub-block "begin pregen_field; ... end;" into `grid`.
void pregen_field_input(CommandFile*& current, PregenGrid& grid);

// Synthesises the sea for the host window; false (after an error line) when
// the input cannot give a sea.
bool ireg_airy_init(IregModel& model, LibraryState& state, double t_start, double t_end,
                    double dt);

// Elevation and kinematics of a linear field (ireg_airy, and det_airy's
// embedded field), from the grid when the model precomputes.
void linear_field_elevation(const double* pos, const IregModel& model, const LibraryState& state,
                            double& eta);
void linear_field_kinematics(const IregModel& model, const LibraryState& state, const double* pos,
                             double* vel, double* acc, double& pdyn);

}  // namespace pelm
