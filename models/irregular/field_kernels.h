#pragma once
// The inner loops of the linear field over its components, compiled once per
// instruction set (field_kernels_impl.cpp built for SSE2, for AVX2 with FMA
// and for AVX-512) and chosen once, by what the processor runs, when the first field is
// prepared at set-up.
//
// Every kernel works on the padded arrays of LinearFieldArrays (a multiple of
// kFieldPadding entries, the padding being components of zero amplitude that
// add exact zeros) and sums in lanes: the order of the additions is that of
// the lanes, the same on every platform for a given path, so that a path
// gives the same bits on Linux and Windows. The paths differ from one another
// by rounding only (lane count, fused multiply-adds).

#include <cstddef>

#include "models/irregular/irregular_model.h"
#include "runtime/cpu_features.h"

namespace pelm {

// The per-level depth factors of the grid build, each with its component's
// amplitude folded in, `padded` entries per array:
// omega A cosh/sinh, omega A sinh/sinh, omega^2 A cosh/sinh,
// omega^2 A sinh/sinh, rho g A cosh/cosh.
struct LevelFactors {
  const double* u;
  const double* w;
  const double* a;
  const double* az;
  const double* p;
};

struct FieldKernels {
  const char* name;
  // sin and cos of every component's phase at (t, x, y) into sin_out and
  // cos_out (padded length); returns the elevation, the sum of A sin(alpha).
  double (*phases)(const LinearFieldArrays& f, double t, double x, double y, double* sin_out,
                   double* cos_out);
  // u, v, w, ax, ay, az, p at the stretched height zs = h + below_surface
  // (below_surface <= 0) from the phases' sin and cos.
  void (*kinematics)(const LinearFieldArrays& f, const double* sin_a, const double* cos_a,
                     double below_surface, double* out7);
  // The same seven sums from tabulated depth factors of one level.
  void (*level_sums)(const LinearFieldArrays& f, const double* sin_a, const double* cos_a,
                     const LevelFactors& level, double* out7);
};

// The instruction sets the kernels are built for.
using FieldPath = VectorPath;

// Chooses the kernels: `automatic` takes the fastest the processor runs.
// Returns false (and changes nothing) when the processor cannot run the path
// asked for. Tests and benchmarks use it to force a path.
bool select_field_path(FieldPath path);

// The path in use; the first call makes the automatic choice if none was made.
FieldPath active_field_path();
const FieldKernels& field_kernels();

// "sse2", "avx2", "avx512".
inline const char* field_path_name(FieldPath path) { return vector_path_name(path); }

}  // namespace pelm
