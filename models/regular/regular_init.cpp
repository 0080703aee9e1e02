#include <cmath>

#include "models/regular/regular_model.h"
#include "numerics/dispersion.h"

namespace pelm {

void reg_airy_init(RegModel& model, double h) {
  model.k = wave_number(model.omega, h);
  model.sinh_kh = std::sinh(model.k * h);
  model.cosh_kh = std::cosh(model.k * h);
}

}  // namespace pelm
