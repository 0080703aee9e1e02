// The choice of the linear field's kernels: made once, by the processor's
// abilities, when the first field is prepared; tests and benchmarks may force
// a path.

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

VectorPathChoice<FieldKernels> choice(field_kernels_sse2::kernels, field_kernels_avx2::kernels,
                                      field_kernels_avx512::kernels);

}  // namespace

bool select_field_path(FieldPath path) { return choice.select(path); }

FieldPath active_field_path() { return choice.path(); }

const FieldKernels& field_kernels() { return choice.table(); }

}  // namespace pelm
