#pragma once
// The precomputed wave field: the linear field tabulated along x = 0 on a
// grid in time, lateral position and depth, answered by interpolation. A
// point at another x is served by the time shift x / c_g, c_g the group
// velocity of the component with the largest amplitude: the wave pattern is
// taken to travel along +x at that speed without changing shape.
//
// Time nodes t_i = t_start - T_x + i dt_grid (i = 0 .. nt-1) cover the host
// window widened by T_x = x_range / c_g at both ends; queries beyond them take
// the first or last node. Depth levels s_l = h sin(l pi / (2 (nz - 1))) above
// the bed are densest near the surface.

#include <cstddef>

#include "models/irregular/irregular_model.h"
#include "numerics/interpolation.h"

namespace pelm {

struct LibraryState;

// Builds model.grid for the host window when the model precomputes.
// omega_max (rad/s) sets the default time step, a tenth of the shortest
// period. False (after an error line) when the grid cannot be built.
bool build_wave_field_grid(IregModel& model, LibraryState& state, double t_start, double t_end,
                           double omega_max);

// Where a query at time t and (x, y) falls in the grid. The cached form
// returns the point of the previous call when t, x and y are the same.
GridPoint locate_in_grid(const PregenGrid& grid, double t, double x, double y);
const GridPoint& locate_anew(const PregenGrid& grid, double t, double x, double y);
inline const GridPoint& locate_in_grid_cached(const PregenGrid& grid, double t, double x, double y) {
  if (grid.located && grid.located_t == t && grid.located_x == x && grid.located_y == y)
    return grid.located_point;
  return locate_anew(grid, t, x, y);
}

// Elevation at a located point (interpolated when it was located).
inline double grid_elevation(const GridPoint& point) { return point.eta; }

// The last depth level at or below the height s above the bed: 0 below the
// bed (or for NaN), the top level at or above the surface.
std::size_t level_below(const PregenGrid& grid, double s);

// Kinematics at a located point and stretched height s above the bed
// (0 <= s <= h); the caller has rejected points outside the water.
void grid_kinematics(const PregenGrid& grid, const GridPoint& point, double s,
                     double* vel, double* acc, double& pdyn);

}  // namespace pelm
