#pragma once
// Wave model 0, reg_airy: one regular linear (Airy) wave travelling in +x.
//
// Frame: x, y horizontal, z up, z = 0 at still water, bed at z = -h (SI units).
// Phase theta = omega t - k x: at t = 0 the surface at x = 0 is at still water
// and rising; the crest is at theta = pi/2.
// Below the instantaneous surface the kinematics use Wheeler stretching: the
// water column from the bed to the surface eta is mapped onto the still-water
// column, d = (h + z) / (eta/h + 1) above the bed. At and above the surface
// every output is 0. Accelerations are local (no convective terms); the
// dynamic pressure excludes the hydrostatic part.

#include <cstdint>
#include <string>

#include "models/irregular/linear_field.h"

namespace pelm {

struct CommandFile;
struct LibraryState;

struct RegModel {
  std::int32_t stretching = 1;  // read and kept; every value evaluates with Wheeler stretching
  double height = 0.0;          // H (m)
  double amplitude = 0.0;       // a = H/2 (m)
  double omega = 0.0;           // angular frequency (rad/s)
  double k = 0.0;               // wave number (rad/m), from the set-up
  // Set-up constants of the kinematics (depend on k and h only).
  DepthConstants depth;
};

// Reads the block "begin reg_airy; ... end;" into `model`.
void reg_airy_input(CommandFile*& current, RegModel& model);

// Solves the dispersion relation for the wave number in depth h (m). False
// (after an error line) when the wave has no finite wave number, as with a
// period so short that omega^2 / g overflows.
bool reg_airy_init(RegModel& model, double h);

// Elevation eta (m) at pos = (x, y, z) and the current time; only x is used.
void reg_airy_elevation(const double* pos, const RegModel& model, const LibraryState& state,
                        double& eta);

// Velocity (m/s), acceleration (m/s^2) and dynamic pressure (Pa) at pos.
void reg_airy_kinematics(const RegModel& model, const LibraryState& state, const double* pos,
                         double* vel, double* acc, double& pdyn);

}  // namespace pelm
