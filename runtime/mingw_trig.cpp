// Windows (MinGW-w64) build only: the C library's sine and cosine, replaced by
// the portable ones (runtime/portable_trig.h says why). An object file is
// searched before the runtime's libraries, so every call of sin, cos or
// sincos in the DLL lands here, including the sincos that the compiler makes
// of a sin and a cos of the same argument.

#include "runtime/portable_trig.h"

extern "C" {

double sin(double x) { return pelm::portable_sin(x); }

double cos(double x) { return pelm::portable_cos(x); }

void sincos(double x, double* sine, double* cosine) { pelm::portable_sincos(x, *sine, *cosine); }

}  // extern "C"
