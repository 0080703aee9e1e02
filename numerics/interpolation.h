#pragma once
// Small interpolation helpers of the grids, the direction sampling and the
// external data. Each is one formula evaluated in the order written; none
// guards against equal nodes, so callers keep their cell sizes away from 0.
// They sit on the look-up path of every host call, so they are inline.

#include <cmath>
#include <cstddef>

namespace pelm {

// a - d*floor(a/d) + q with d = r - q: with q = 0 the position of a inside
// its cell of width r (2.5 -> 0.5 and -0.25 -> 0.75 for r = 1).
inline double cell_remainder(double a, double q, double r) {
  const double d = r - q;
  return a - d * std::floor(a / d) + q;
}

// Lagrange two-point form through (x1, y1) and (x2, y2); extrapolates
// outside [x1, x2].
inline double interpolate_two_point(double x, double x1, double x2, double y1, double y2) {
  return y1 * (x - x2) / (x1 - x2) + y2 * (x - x1) / (x2 - x1);
}

// The two weights of the two-point form at x, computed once for any number
// of values interpolated between the same nodes.
struct TwoPointWeights {
  double w1 = 0.0;  // (x - x2)/(x1 - x2), the weight of the value at x1
  double w2 = 0.0;  // (x - x1)/(x2 - x1), the weight of the value at x2
};

inline TwoPointWeights two_point_weights(double x, double x1, double x2) {
  return TwoPointWeights{(x - x2) / (x1 - x2), (x - x1) / (x2 - x1)};
}

inline double interpolate(const TwoPointWeights& w, double y1, double y2) {
  return y2 * w.w2 + y1 * w.w1;
}

// out[m*out_stride] = y2[m*stride]*(x - x1)/(x2 - x1) + y1[m*stride]*(x - x2)/(x1 - x2)
// for m = 0 .. n-1; the two weights are computed once.
inline void interpolate_two_point_vector(std::size_t n, double* out, std::size_t out_stride,
                                         double x, double x1, double x2, const double* y1,
                                         const double* y2, std::size_t stride) {
  const TwoPointWeights w = two_point_weights(x, x1, x2);
  for (std::size_t m = 0; m < n; ++m) out[m * out_stride] = interpolate(w, y1[m * stride], y2[m * stride]);
}

// Bilinear interpolation in the cell [x1, x1+dx] x [y1, y1+dy] with corner
// values v1 (x1,y1), v2 (x2,y1), v3 (x2,y2), v4 (x1,y2).
inline double interpolate_bilinear(double x, double y, double x1, double y1, double dx, double dy,
                                   double v1, double v2, double v3, double v4) {
  const double x2 = x1 + dx;
  const double y2 = y1 + dy;
  return ((x2 - x) * (y2 - y) * v1 + (x - x1) * (y2 - y) * v2 + (x - x1) * (y - y1) * v3 +
          (x2 - x) * (y - y1) * v4) /
         (dx * dy);
}

}  // namespace pelm
