#include <cmath>

#include "models/regular/regular_model.h"
#include "numerics/constants.h"
#include "numerics/dispersion.h"
#include "runtime/console.h"

namespace pelm {

bool reg_airy_init(RegModel& model, double h) {
  model.k = wave_number(model.omega, h);
  model.depth = depth_constants(model.k, h);
  if (std::isfinite(model.omega) && std::isfinite(model.k)) return true;
  write_message("*** ERROR *** reg_airy wave has no finite wave number: H =", model.height,
                " T =", 2.0 * kPi / model.omega, " wdepth =", h, " - wave model not set up");
  return false;
}

}  // namespace pelm
