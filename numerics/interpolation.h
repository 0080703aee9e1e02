#pragma once
// Small interpolation helpers of the grids, the direction sampling and the
// external data. Each is one formula evaluated in the order written; none
// guards against equal nodes, so callers keep their cell sizes away from 0.

#include <cstddef>

namespace pelm {

// a - d*floor(a/d) + q with d = r - q: with q = 0 the position of a inside
// its cell of width r (2.5 -> 0.5 and -0.25 -> 0.75 for r = 1).
double cell_remainder(double a, double q, double r);

// Lagrange two-point form through (x1, y1) and (x2, y2); extrapolates
// outside [x1, x2].
double interpolate_two_point(double x, double x1, double x2, double y1, double y2);

// out[m*out_stride] = y2[m*stride]*(x - x1)/(x2 - x1) + y1[m*stride]*(x - x2)/(x1 - x2)
// for m = 0 .. n-1; the two weights are computed once.
void interpolate_two_point_vector(std::size_t n, double* out, std::size_t out_stride, double x,
                                  double x1, double x2, const double* y1, const double* y2,
                                  std::size_t stride);

// Bilinear interpolation in the cell [x1, x1+dx] x [y1, y1+dy] with corner
// values v1 (x1,y1), v2 (x2,y1), v3 (x2,y2), v4 (x1,y2).
double interpolate_bilinear(double x, double y, double x1, double y1, double dx, double dy,
                            double v1, double v2, double v3, double v4);

}  // namespace pelm
