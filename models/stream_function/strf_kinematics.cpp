// Evaluation of the solved stream-function wave.
//
// Frame: x along the direction of travel, z up, z = 0 at still water, bed at
// z = -d (SI units); y plays no part. Phase theta = k x - omega t, omega =
// 2 pi / T: at t = 0 a crest lies at x = 0, and the wave travels in +x.
// Velocities are in the fixed frame and include the current: the mean
// horizontal velocity at a fixed depth below the troughs is U (the wave speed
// is c = c_E + U, c_E the speed relative to the still-water frame).
// Accelerations: u_t, w_t local; a_x, a_z total (particle) accelerations,
// which is what get_kinematics returns.
// Above the surface (z > eta) every quantity takes its value at the surface
// point directly below; nothing is checked against the bed, but where the
// series overflows far below it (or x, t exceed the single-precision range)
// the outputs are 0. The dynamic pressure is not modelled and is returned as 0.
// Interface precision: x, z and t are rounded to single precision, the sums
// run in double, and the seven results are single precision.

#include <cmath>

#include "input/parameters.h"
#include "interface/library_state.h"
#include "models/stream_function/strf_model.h"
#include "numerics/constants.h"
#include "numerics/sine_cosine.h"

namespace pelm {
namespace {

constexpr double kTwoPi = 2.0 * kPi;

// cos(j theta), sin(j theta) for j = 1 .. n-1 by the angle-addition
// recurrence from one sine-cosine pair; the error grows by about an ulp per
// harmonic, far below single precision at j <= 24.
void harmonics(double theta, int n, double* c, double* s) {
  double s1 = 0.0, c1 = 0.0;
  sine_cosine(theta, s1, c1);
  c[1] = c1;
  s[1] = s1;
  for (int j = 2; j < n; ++j) {
    c[j] = c[j - 1] * c1 - s[j - 1] * s1;
    s[j] = s[j - 1] * c1 + c[j - 1] * s1;
  }
}

double surface(const StrfSolution& sol, int n, const double* c) {
  double eta = 0.0;
  for (int j = 1; j < n; ++j) eta += sol.E[j] * c[j];
  return eta;
}

std::int32_t order_of(const StrfModel& model) { return truncate_to_int32(model.order); }

}  // namespace

StrfPointValues strf_evaluate(std::int32_t N, float x, float z, float t) {
  const StrfSolution& sol = strf_solution();
  const double k = sol.k;
  const double omega = kTwoPi / sol.T;
  const double theta = k * x - omega * t;
  double c[kStrfCapacity], s[kStrfCapacity];
  harmonics(theta, N, c, s);

  StrfPointValues out;
  const double eta = surface(sol, N, c);
  out.eta = static_cast<float>(eta);
  const double ze = z > eta ? eta : static_cast<double>(z);

  // B_j cosh(j kappa) = Bd_j (e^{j k z_e} + e^{-j k (z_e + 2d)}) / 2, and
  // likewise for sinh: no overflow in deep water; powers of one exponential.
  const double rise = std::exp(k * ze);
  const double decay = std::exp(-k * (ze + 2.0 * sol.d));
  double p = 1.0, q = 1.0;
  double S1 = 0.0, S2 = 0.0, S3 = 0.0, S4 = 0.0;
  for (int j = 1; j < N; ++j) {
    p *= rise;
    q *= decay;
    const double ch = 0.5 * (p + q);
    const double sh = 0.5 * (p - q);
    const double jB = j * sol.Bd[j];
    S1 += jB * ch * c[j];
    S2 += jB * sh * s[j];
    S3 += j * jB * ch * s[j];
    S4 += j * jB * sh * c[j];
  }
  out.u = static_cast<float>(sol.U + k * S1);
  out.w = static_cast<float>(k * S2);
  out.ut = static_cast<float>(omega * k * S3);
  out.wt = static_cast<float>(-omega * k * S4);
  // du/dx = -k^2 S3, du/dz = k^2 S4, dw/dx = k^2 S4, dw/dz = k^2 S3.
  const double k2 = k * k;
  out.ax = static_cast<float>(out.ut - out.u * k2 * S3 + out.w * k2 * S4);
  out.az = static_cast<float>(out.wt + out.u * k2 * S4 + out.w * k2 * S3);
  return out;
}

void strf_elevation(const double* pos, const StrfModel& model, const LibraryState& state,
                    double& eta) {
  const StrfSolution& sol = strf_solution();
  const std::int32_t n = order_of(model);
  const float x = static_cast<float>(pos[0]);
  const float t = static_cast<float>(state.time);
  double c[kStrfCapacity], s[kStrfCapacity];
  harmonics(sol.k * x - kTwoPi / sol.T * t, n, c, s);
  eta = static_cast<float>(surface(sol, n, c));
  // x or t beyond the single-precision range has no phase: still water.
  if (!std::isfinite(eta)) eta = 0.0;
}

void strf_kinematics(const StrfModel& model, const LibraryState& state, const double* pos,
                     double* vel, double* acc, double& pdyn) {
  const StrfPointValues v =
      strf_evaluate(order_of(model), static_cast<float>(pos[0]), static_cast<float>(pos[2]),
                    static_cast<float>(state.time));
  vel[0] = v.u;
  vel[1] = 0.0;
  vel[2] = v.w;
  acc[0] = v.ax;
  acc[1] = 0.0;
  acc[2] = v.az;
  pdyn = 0.0;
  // Far below the bed the series overflows (it is continued there unchecked),
  // and x or t beyond the single-precision range has no phase: such a point
  // gets zeros, never NaN.
  if (!(std::isfinite(v.u) && std::isfinite(v.w) && std::isfinite(v.ax) && std::isfinite(v.az)))
    for (int c = 0; c < 3; ++c) vel[c] = acc[c] = 0.0;
}

}  // namespace pelm
