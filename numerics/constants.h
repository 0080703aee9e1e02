#pragma once
// Physical and mathematical constants of the linear wave models.

namespace pelm {

// The double nearest to pi.
inline constexpr double kPi = 3.141592653589793;

// Gravity (m/s^2): 9.81 as a single-precision value, widened exactly to
// 9.81000041961669921875. The single-precision origin is kept on purpose: the
// wave numbers, spectra and pressures of every run depend on these bits.
inline constexpr double kGravity = static_cast<double>(9.81f);

// Water density (kg/m^3) used in the dynamic pressure of the linear models.
inline constexpr double kWaterDensity = 1050.0;

}  // namespace pelm
