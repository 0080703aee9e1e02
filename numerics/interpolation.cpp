#include "numerics/interpolation.h"

#include <cmath>

// Each helper is the one formula of its comment in the header, written in the
// order of evaluation the callers' results depend on: no factoring, no
// reassociation.

namespace pelm {

double cell_remainder(double a, double q, double r) {
  const double d = r - q;
  return a - d * std::floor(a / d) + q;
}

double interpolate_two_point(double x, double x1, double x2, double y1, double y2) {
  return y1 * (x - x2) / (x1 - x2) + y2 * (x - x1) / (x2 - x1);
}

void interpolate_two_point_vector(std::size_t n, double* out, std::size_t out_stride, double x,
                                  double x1, double x2, const double* y1, const double* y2,
                                  std::size_t stride) {
  const double weight2 = (x - x1) / (x2 - x1);
  const double weight1 = (x - x2) / (x1 - x2);
  for (std::size_t m = 0; m < n; ++m)
    out[m * out_stride] = y2[m * stride] * weight2 + y1[m * stride] * weight1;
}

double interpolate_bilinear(double x, double y, double x1, double y1, double dx, double dy,
                            double v1, double v2, double v3, double v4) {
  const double x2 = x1 + dx;
  const double y2 = y1 + dy;
  return ((x2 - x) * (y2 - y) * v1 + (x - x1) * (y2 - y) * v2 + (x - x1) * (y - y1) * v3 +
          (x2 - x) * (y - y1) * v4) /
         (dx * dy);
}

}  // namespace pelm
