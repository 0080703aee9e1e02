#pragma once
// One-sided elevation spectra S(omega) in m^2 s/rad, omega in rad/s.

namespace pelm {

// JONSWAP with significant height hs (m), peak period tp (s) and
// peak-enhancement factor gamma; 0 for omega <= 0.
double jonswap_density(double hs, double tp, double gamma, double omega);

// Pierson-Moskowitz with significant height hs (m) and mean zero-up-crossing
// period tz (s); 0 for omega <= 0. Its variance is hs^2/16.
double pierson_moskowitz_density(double hs, double tz, double omega);

// Band-limited white noise of variance v (m^2) up to fc (Hz): v / (2 pi fc)
// at every frequency of the band 0 <= omega <= 2 pi fc.
double white_noise_density(double v, double fc);

}  // namespace pelm
