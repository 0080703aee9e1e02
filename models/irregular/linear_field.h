#pragma once
// Evaluation of a linear component set by direct summation.

#include "models/irregular/irregular_model.h"

namespace pelm {

// Derives the evaluation arrays of `model.field` from `model.components` in
// depth h. Called once the components are final.
void prepare_linear_field(IregModel& model, double h);

// The seven sums of the kernels and the grid (u, v, w, ax, ay, az, p) into
// the host's outputs.
inline void write_kinematics(const double* out7, double* vel, double* acc, double& pdyn) {
  vel[0] = out7[0];
  vel[1] = out7[1];
  vel[2] = out7[2];
  acc[0] = out7[3];
  acc[1] = out7[4];
  acc[2] = out7[5];
  pdyn = out7[6];
}

// Sum of A sin(alpha) over the components, in component order.
double direct_elevation(const LinearFieldArrays& field, double t, double x, double y);

// The depth functions of one component at stretched height zs above the bed.
struct DepthFactors {
  double cosh_over_sinh = 0.0;  // cosh(k zs) / sinh(k h)
  double sinh_over_sinh = 0.0;  // sinh(k zs) / sinh(k h)
  double cosh_over_cosh = 0.0;  // cosh(k zs) / cosh(k h)
};
DepthFactors depth_factors(double k, double h, double zs);

// The parts of the depth functions that depend on k and h only, for a caller
// that evaluates one wave at many heights: r^2 = exp(-2 k h) and 1 - r^2.
struct DepthConstants {
  double r_squared = 0.0;
  double one_minus_r_squared = 0.0;
};
DepthConstants depth_constants(double k, double h);
DepthFactors depth_factors(double k, double h, double zs, const DepthConstants& constants);

}  // namespace pelm
