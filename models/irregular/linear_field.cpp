#include "models/irregular/linear_field.h"

#include <algorithm>
#include <cmath>

#include "interface/library_state.h"
#include "models/irregular/field_kernels.h"
#include "models/irregular/wave_field_grid.h"

namespace pelm {
namespace {

// sin and cos of every phase at (t, x, y) in the scratch, and the elevation
// there; computed again only when the time, the place or the kernels changed.
double phases_in_scratch(const LinearFieldArrays& f, double t, double x, double y) {
  const FieldKernels& kernels = field_kernels();
  if (f.scratch_kernels != &kernels || f.scratch_t != t || f.scratch_x != x || f.scratch_y != y) {
    f.scratch_eta = kernels.phases(f, t, x, y, f.scratch_sin.data(), f.scratch_cos.data());
    f.scratch_kernels = &kernels;
    f.scratch_t = t;
    f.scratch_x = x;
    f.scratch_y = y;
  }
  return f.scratch_eta;
}

void write_zeros(double* vel, double* acc, double& pdyn) {
  for (int i = 0; i < 3; ++i) vel[i] = acc[i] = 0.0;
  pdyn = 0.0;
}

}  // namespace

DepthConstants depth_constants(double k, double h) {
  return DepthConstants{std::exp(-2.0 * k * h), -std::expm1(-2.0 * k * h)};
}

DepthFactors depth_factors(double k, double h, double zs, const DepthConstants& c) {
  const double q = std::exp(k * (zs - h));
  const double m = std::exp(-k * (zs + h));
  return DepthFactors{(q + m) / c.one_minus_r_squared, (q - m) / c.one_minus_r_squared,
                      (q + m) / (1.0 + c.r_squared)};
}

DepthFactors depth_factors(double k, double h, double zs) {
  return depth_factors(k, h, zs, depth_constants(k, h));
}

void prepare_linear_field(IregModel& model, double h) {
  field_kernels();  // the processor check, once, at set-up
  LinearFieldArrays& f = model.field;
  f = LinearFieldArrays();
  const std::size_t n = model.components.size();
  f.count = n;
  f.padded = (n + kFieldPadding - 1) / kFieldPadding * kFieldPadding;
  // The padding: components of zero amplitude, wave number and frequency,
  // whose every term is an exact 0.
  for (auto* array : {&f.amplitude, &f.omega, &f.phase, &f.k, &f.cos_dir, &f.sin_dir, &f.k_x, &f.k_y,
                      &f.r_squared, &f.velocity_factor, &f.acceleration_factor, &f.pressure_factor,
                      &f.velocity_x, &f.velocity_y, &f.acceleration_x, &f.acceleration_y,
                      &f.scratch_sin, &f.scratch_cos})
    array->assign(f.padded, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    const WaveComponent& c = model.components[i];
    f.amplitude[i] = c.amplitude;
    f.omega[i] = c.omega;
    f.phase[i] = c.phase;
    f.k[i] = c.k;
    f.cos_dir[i] = std::cos(c.direction);
    f.sin_dir[i] = std::sin(c.direction);
    const double r2 = std::exp(-2.0 * c.k * h);
    const double one_minus_r2 = -std::expm1(-2.0 * c.k * h);
    f.r_squared[i] = r2;
    f.velocity_factor[i] = c.omega * c.amplitude / one_minus_r2;
    f.acceleration_factor[i] = c.omega * c.omega * c.amplitude / one_minus_r2;
    f.pressure_factor[i] = LibraryState::density * LibraryState::gravity * c.amplitude / (1.0 + r2);
    f.k_x[i] = c.k * f.cos_dir[i];
    f.k_y[i] = c.k * f.sin_dir[i];
    f.velocity_x[i] = f.velocity_factor[i] * f.cos_dir[i];
    f.velocity_y[i] = f.velocity_factor[i] * f.sin_dir[i];
    f.acceleration_x[i] = f.acceleration_factor[i] * f.cos_dir[i];
    f.acceleration_y[i] = f.acceleration_factor[i] * f.sin_dir[i];
    f.omega_max = std::max(f.omega_max, std::fabs(c.omega));
    f.k_max = std::max(f.k_max, std::fabs(c.k));
    f.phase_max = std::max(f.phase_max, std::fabs(c.phase));
  }
}

double direct_elevation(const LinearFieldArrays& f, double t, double x, double y) {
  return phases_in_scratch(f, t, x, y);
}

void linear_field_elevation(const double* pos, const IregModel& model, const LibraryState& state,
                            double& eta) {
  if (model.precompute)
    eta = grid_elevation(locate_in_grid_cached(*model.grid, state.time, pos[0], pos[1]));
  else
    eta = direct_elevation(model.field, state.time, pos[0], pos[1]);
}

void linear_field_kinematics(const IregModel& model, const LibraryState& state, const double* pos,
                             double* vel, double* acc, double& pdyn) {
  const double x = pos[0], y = pos[1], z = pos[2];
  const double h = state.depth;
  const double t = state.time;
  const bool wheeler = model.stretching == 1;
  const bool grid = model.precompute;

  // The surface level of the water column: the still-water level without
  // stretching, the instantaneous surface with it.
  const GridPoint* cell = grid ? &locate_in_grid_cached(*model.grid, t, x, y) : nullptr;
  double eta = 0.0;
  if (wheeler) eta = grid ? grid_elevation(*cell) : phases_in_scratch(model.field, t, x, y);
  const double z_top = wheeler ? eta : 0.0;
  if (z > z_top || z < -h) return write_zeros(vel, acc, pdyn);

  // Wheeler: zs = (z + h) h / (eta + h); eta + h >= 0 here, since
  // -h <= z <= eta, and a column of no height is all at the bed. The grid
  // keeps the factor h / (eta + h) with the located point.
  if (grid) {
    const double zs = wheeler ? (z + h) * cell->stretch : z + h;
    return grid_kinematics(*model.grid, *cell, zs, vel, acc, pdyn);
  }
  const double zs = wheeler ? (eta + h > 0.0 ? (z + h) * h / (eta + h) : 0.0) : z + h;
  // Options other than 0 and 1 are refused at input; were one to reach here,
  // it would get the still-water column.
  const LinearFieldArrays& f = model.field;
  phases_in_scratch(f, t, x, y);
  double out[7];
  field_kernels().kinematics(f, f.scratch_sin.data(), f.scratch_cos.data(), zs - h, out);
  write_kinematics(out, vel, acc, pdyn);
}

}  // namespace pelm
