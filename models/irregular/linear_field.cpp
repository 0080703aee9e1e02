#include "models/irregular/linear_field.h"

#include <cmath>

#include "interface/library_state.h"
#include "models/irregular/wave_field_grid.h"
#include "numerics/sine_cosine.h"

namespace pelm {
namespace {

double phase_of(const LinearFieldArrays& f, std::size_t i, double t, double x, double y) {
  return f.omega[i] * t - f.k[i] * (x * f.cos_dir[i] + y * f.sin_dir[i]) + f.phase[i];
}

// Elevation by direct summation, keeping sin and cos of every phase for the
// kinematics that follow at the same point.
double direct_elevation_keeping_phases(const LinearFieldArrays& f, double t, double x, double y) {
  double eta = 0.0;
  for (std::size_t i = 0; i < f.amplitude.size(); ++i) {
    sine_cosine(phase_of(f, i, t, x, y), f.scratch_sin[i], f.scratch_cos[i]);
    eta += f.amplitude[i] * f.scratch_sin[i];
  }
  return eta;
}

// Sums the kinematics at stretched height zs from the phases in the scratch.
void direct_kinematics(const LinearFieldArrays& f, double h, double zs, double* vel, double* acc,
                       double& pdyn) {
  const double below_surface = zs - h;  // <= 0
  double u = 0.0, v = 0.0, w = 0.0, ax = 0.0, ay = 0.0, az = 0.0, p = 0.0;
  for (std::size_t i = 0; i < f.amplitude.size(); ++i) {
    const double q = std::exp(f.k[i] * below_surface);
    // M <= Q: where Q underflows, so has M.
    const double m = q > 0.0 ? f.r_squared[i] / q : 0.0;
    const double cz = q + m;
    const double sz = q - m;
    const double s = f.scratch_sin[i];
    const double c = f.scratch_cos[i];
    const double uh = f.velocity_factor[i] * cz * s;
    u += uh * f.cos_dir[i];
    v += uh * f.sin_dir[i];
    w += f.velocity_factor[i] * sz * c;
    const double ah = f.acceleration_factor[i] * cz * c;
    ax += ah * f.cos_dir[i];
    ay += ah * f.sin_dir[i];
    az -= f.acceleration_factor[i] * sz * s;
    p += f.pressure_factor[i] * cz * s;
  }
  vel[0] = u;
  vel[1] = v;
  vel[2] = w;
  acc[0] = ax;
  acc[1] = ay;
  acc[2] = az;
  pdyn = p;
}

void write_zeros(double* vel, double* acc, double& pdyn) {
  for (int i = 0; i < 3; ++i) vel[i] = acc[i] = 0.0;
  pdyn = 0.0;
}

}  // namespace

DepthFactors depth_factors(double k, double h, double zs) {
  const double q = std::exp(k * (zs - h));
  const double m = std::exp(-k * (zs + h));
  const double r2 = std::exp(-2.0 * k * h);
  const double one_minus_r2 = -std::expm1(-2.0 * k * h);
  return DepthFactors{(q + m) / one_minus_r2, (q - m) / one_minus_r2, (q + m) / (1.0 + r2)};
}

void prepare_linear_field(IregModel& model, double h) {
  LinearFieldArrays& f = model.field;
  f = LinearFieldArrays();
  const std::size_t n = model.components.size();
  for (auto* array : {&f.amplitude, &f.omega, &f.phase, &f.k, &f.cos_dir, &f.sin_dir, &f.r_squared,
                      &f.velocity_factor, &f.acceleration_factor, &f.pressure_factor,
                      &f.scratch_sin, &f.scratch_cos})
    array->resize(n);
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
  }
}

double direct_elevation(const LinearFieldArrays& f, double t, double x, double y) {
  double eta = 0.0;
  for (std::size_t i = 0; i < f.amplitude.size(); ++i)
    eta += f.amplitude[i] * sine(phase_of(f, i, t, x, y));
  return eta;
}

void linear_field_elevation(const double* pos, const IregModel& model, const LibraryState& state,
                            double& eta) {
  if (model.precompute)
    eta = grid_elevation(*model.grid, locate_in_grid(*model.grid, state.time, pos[0], pos[1]));
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
  GridPoint cell;
  if (grid) cell = locate_in_grid(*model.grid, t, x, y);
  double eta = 0.0;
  if (wheeler)
    eta = grid ? grid_elevation(*model.grid, cell) : direct_elevation_keeping_phases(model.field, t, x, y);
  const double z_top = wheeler ? eta : 0.0;
  if (z > z_top || z < -h) return write_zeros(vel, acc, pdyn);

  const double zs = wheeler ? (z + h) / (eta / h + 1.0) : z + h;
  if (grid) return grid_kinematics(*model.grid, cell, h, zs, vel, acc, pdyn);
  if (!wheeler) direct_elevation_keeping_phases(model.field, t, x, y);
  direct_kinematics(model.field, h, zs, vel, acc, pdyn);
}

}  // namespace pelm
