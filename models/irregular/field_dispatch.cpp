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
  if (path == FieldPath::automatic)
    path = cpu_runs_avx512() ? FieldPath::avx512 : cpu_runs_avx2_fma() ? FieldPath::avx2 : FieldPath::sse2;
  switch (path) {
    case FieldPath::avx512:
      if (!cpu_runs_avx512()) return false;
      active = &field_kernels_avx512::kernels;
      break;
    case FieldPath::avx2:
      if (!cpu_runs_avx2_fma()) return false;
      active = &field_kernels_avx2::kernels;
      break;
    default:
      active = &field_kernels_sse2::kernels;
      break;
  }
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

const char* field_path_name(FieldPath path) {
  switch (path) {
    case FieldPath::sse2:
      return "sse2";
    case FieldPath::avx2:
      return "avx2";
    case FieldPath::avx512:
      return "avx512";
    case FieldPath::automatic:
      break;
  }
  return "automatic";
}

}  // namespace pelm
