#include <cmath>

#include "interface/library_state.h"
#include "models/regular/regular_model.h"
#include "numerics/sine_cosine.h"

namespace pelm {

void reg_airy_elevation(const double* pos, const RegModel& model, const LibraryState& state,
                        double& eta) {
  const double theta = model.omega * state.time - model.k * pos[0];
  eta = model.amplitude * sine(theta);
  // A phase beyond the double range (a time or x near 1e308) has no sine:
  // the still-water level.
  if (!std::isfinite(eta)) eta = 0.0;
}

void reg_airy_kinematics(const RegModel& model, const LibraryState& state, const double* pos,
                         double* vel, double* acc, double& pdyn) {
  const double h = state.depth;
  const double z = pos[2];
  const double theta = model.omega * state.time - model.k * pos[0];
  double s = 0.0, c = 0.0;
  sine_cosine(theta, s, c);
  const double eta = model.amplitude * s;

  double u = 0.0, w = 0.0, ax = 0.0, az = 0.0;
  pdyn = 0.0;
  if (z < eta) {
    const double d = (h + z) / (eta / h + 1.0);
    // cosh(k d)/sinh(k h) and its kin, written with decaying exponentials:
    // a short wave in deep water (k h > 710) overflows cosh and sinh, and
    // inf/inf would be NaN where the true ratio is small and finite.
    const DepthFactors f = depth_factors(model.k, h, d, model.depth);
    const double omega2 = model.omega * model.omega;
    u = f.cosh_over_sinh * model.omega * (model.amplitude * s);
    w = f.sinh_over_sinh * model.omega * (model.amplitude * c);
    ax = f.cosh_over_sinh * omega2 * (model.amplitude * c);
    az = -(f.sinh_over_sinh * omega2 * (model.amplitude * s));
    pdyn = LibraryState::density * LibraryState::gravity * f.cosh_over_cosh * (model.amplitude * s);
    // Below the bed the formulas go on with a negative stretched height; far
    // enough down (or under a trough that reaches the bed, where the
    // stretching divides by zero) cosh and sinh overflow and inf * 0 gives
    // NaN. Such a point gets zeros, as outside the water, never a NaN.
    if (!(std::isfinite(u) && std::isfinite(w) && std::isfinite(ax) && std::isfinite(az) &&
          std::isfinite(pdyn)))
      u = w = ax = az = pdyn = 0.0;
  }
  vel[0] = u;
  vel[1] = 0.0;
  vel[2] = w;
  acc[0] = ax;
  acc[1] = 0.0;
  acc[2] = az;
}

}  // namespace pelm
