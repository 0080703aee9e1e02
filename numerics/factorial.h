#pragma once

#include <cstdint>

namespace pelm {

// n! in single precision, for 0 <= n <= 34 (34! ~ 2.95e38 is the largest
// factorial below the single-precision overflow limit). A negative n or one
// above 34 is reported as an error of "fac" and gives NaN.
float FAC(std::int32_t n);

}  // namespace pelm
