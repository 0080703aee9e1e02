// The choice of the linear field's kernels: made once, by the processor's
// abilities, when the first field is prepared; tests and benchmarks may force
// a path. The library runs on the host's one thread, so a plain pointer does.

#include "models/irregular/field_kernels.h"
#include "runtime/cpu_features.h"

namespace pelm {

namespace field_kernels_sse2 {
extern const FieldKernels kernels;
}
namespace field_kernels_avx2 {
extern const FieldKernels kernels;
}
namespace field_kernels_avx512 {
extern const FieldKernels kernels;
}

namespace {

const FieldKernels* active = nullptr;
FieldPath active_path = FieldPath::automatic;

}  // namespace

bool select_field_path(FieldPath path) {
  if (path == FieldPath::automatic) path = fastest_vector_path();
  if (!cpu_runs(path)) return false;
  active = path == FieldPath::avx512 ? &field_kernels_avx512::kernels
           : path == FieldPath::avx2 ? &field_kernels_avx2::kernels
                                     : &field_kernels_sse2::kernels;
  active_path = path;
  return true;
}

FieldPath active_field_path() {
  if (active == nullptr) select_field_path(FieldPath::automatic);
  return active_path;
}

const FieldKernels& field_kernels() {
  if (active == nullptr) select_field_path(FieldPath::automatic);
  return *active;
}

}  // namespace pelm
