#pragma once
// Sine and cosine computed from + - * / alone, so that they give the same bits
// on every platform that has IEEE double arithmetic without excess precision.
//
// Why they exist: the Windows build links them in place of the C library's
// sin, cos and sincos (runtime/mingw_trig.cpp). The MinGW-w64 runtime for
// 32-bit x86 computes those with the x87 fsin and fsincos instructions, whose
// argument reduction uses a 66-bit pi. Near a multiple of pi/2 the result is
// the small difference between the argument and that multiple, and only
// about 14 of its bits survive: for a 10 s wave at t = 52.5 s, cos(10.5 pi)
// came out 8.7e-5 relative from the Linux build. The C library of wine's
// msvcrt.dll gives the same bits, so importing from it does not help.
//
// Method: x is reduced to r = x - n pi/2, |r| <= pi/4, with pi/2 carried as
// four doubles (212 bits) and every product n * part split exactly, so r is
// exact to about 2^-100 of its own size for |x| < 2^50; r is kept as an
// unevaluated sum hi + lo. Taylor series on |r| <= pi/4 then give results
// within about one unit in the last place of the correctly rounded value.
//
// Domain: any double. For |x| >= 2^50 the spacing of doubles (0.25 at 2^50)
// leaves no phase information in x; such x are first taken modulo the double
// nearest 2 pi, which keeps the result finite and reproducible but not the
// correctly rounded sine. Infinity and NaN give NaN.

namespace pelm {

double portable_sin(double x);
double portable_cos(double x);
// Both from one argument reduction; the same values as the two calls above.
void portable_sincos(double x, double& sine, double& cosine);

}  // namespace pelm
