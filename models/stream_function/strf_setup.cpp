// Set-up of the stream-function wave: a linear first guess, the breaking
// check, the order estimate, and the driver that raises the order and then
// the height in stages, printing a progress table.
//
// The set-up keeps its own constants instead of the library's gravity: g is
// 9.81 in single precision (kGravityF, 9.8100004196167 widened) in WAVECEL,
// in the breaking ratio and in the order estimate, and 2 pi is single
// precision (kTwoPiF) in the deep-water lengths, the first wave number and
// the returned wave length. The breaking ratio and the order estimate are
// computed in single precision throughout; WAVECEL in double.

#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "models/stream_function/strf_model.h"
#include "numerics/constants.h"
#include "runtime/console.h"
#include "runtime/fatal.h"

namespace pelm {
namespace {

constexpr float kGravityF = 9.81f;
constexpr float kTwoPiF = 6.2831855f;  // 6.2831854820251465 widened
constexpr double kTwoPi = 2.0 * kPi;

// ---- Fixed-width number fields, independent of the host's locale ----

std::string right_aligned(const std::string& text, int width) {
  const auto w = static_cast<std::size_t>(width);
  if (text.size() > w) return std::string(w, '*');
  std::string field(w - text.size(), ' ');
  field.append(text);
  return field;
}

std::string non_finite_text(double v) {
  if (std::isnan(v)) return "NaN";
  return v < 0 ? "-Infinity" : "Infinity";
}

// Fw.d: right-aligned, d decimals; stars when it does not fit.
std::string fixed_field(double v, int width, int decimals) {
  if (!std::isfinite(v)) return right_aligned(non_finite_text(v), width);
  std::array<char, 48> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v,
                                    std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return std::string(width, '*');
  return right_aligned(std::string(buffer.data(), result.ptr), width);
}

// Iw: right-aligned integer.
std::string integer_field(std::int32_t v, int width) { return right_aligned(std::to_string(v), width); }

// Ew.d: mantissa 0.ddd and a two-digit exponent E+nn (a three-digit one
// +nnn, without the E, beyond 99), right-aligned.
std::string exponent_field(double v, int width, int digits) {
  if (!std::isfinite(v)) return right_aligned(non_finite_text(v), width);
  std::string text;
  if (std::signbit(v) && v != 0.0) text.push_back('-');
  text.append("0.");
  int exponent = 0;
  if (v == 0.0) {
    text.append(static_cast<std::size_t>(digits), '0');
  } else {
    std::array<char, 48> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(v),
                                      std::chars_format::scientific, digits - 1);
    // d.dd...e-nn: the digits without the point, then the exponent.
    const char* p = buffer.data();
    text.push_back(*p++);
    if (*p == '.') ++p;
    while (*p != 'e') text.push_back(*p++);
    ++p;
    if (*p == '+') ++p;
    std::from_chars(p, result.ptr, exponent);
    exponent += 1;  // d.dd x 10^e == 0.ddd x 10^(e+1)
  }
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude <= 99) text.push_back('E');
  text.push_back(exponent < 0 ? '-' : '+');
  if (magnitude < 10) text.push_back('0');
  text.append(std::to_string(magnitude));
  return right_aligned(text, width);
}

void print_header() {
  write_line("");
  write_line("      d       T       H       U    order  iter  rms error  code      L");
}

// Breaking limit Hb/L0 against relative depth d/L0 (rows decreasing in depth).
constexpr std::array<float, 18> kDepthRatio = {2.0f,   0.578f,  0.44f,   0.356f,  0.293f,   0.243f,
                                               0.201f, 0.166f,  0.1359f, 0.11f,   0.0876f,  0.0686f,
                                               0.0524f, 0.039f, 0.0277f, 0.01879f, 0.01168f, 0.00638f};
constexpr std::array<float, 18> kBreakingSteepness = {
    0.1682f, 0.1665f, 0.1613f, 0.1531f, 0.1423f, 0.1298f, 0.1159f, 0.1017f, 0.0873f,
    0.0735f, 0.0605f, 0.0487f, 0.038f,  0.0289f, 0.0208f, 0.0144f, 0.00911f, 0.00501f};

[[noreturn]] void solver_failed(bool print, const StrfSolution& s, std::int32_t N,
                                const StrfSolveResult& result) {
  const std::string error = "*** ERROR *** Stream function solver failed at order " +
                            std::to_string(N) + ", code " + std::to_string(result.code) +
                            " - process stopped";
  if (print)
    fatal_stop(strf_table_row(s.d, s.T, s.h, s.U, N, result.iterations, result.rms, result.code,
                              0.0, false),
               error);
  fatal_stop(error);
}

}  // namespace

// A steady wave falls from its crest to its trough. The collocation
// equations also have solutions that do not (in very shallow water, where the
// linear first guess is far from the crested profile, the iteration may end
// on one); such a surface is not a wave and no kinematics are served from it.
// A rise below 0.1 % of H is left to the truncation of a flat trough.
void strf_require_wave_profile(const StrfSolution& s, std::int32_t N) {
  for (std::int32_t i = 1; i < N; ++i)
    if (s.Y[i + 1] > s.Y[i] + 1e-3 * s.h) {
      MessageLine line;
      line.add("*** ERROR *** Stream function solution at order ").add(N)
          .add(" rises between crest and trough (point " + std::to_string(i + 1) +
               ") - not a wave profile; the wave is too shallow for the method");
      fatal_stop(line.text());
    }
}

namespace {

double wave_length_of(double k) { return static_cast<double>(kTwoPiF) / k; }

}  // namespace

StrfSolution& strf_solution() {
  static StrfSolution solution;
  return solution;
}

std::string strf_table_row(double d, double T, double h, double U, std::int32_t order,
                           std::int32_t iterations, double rms, std::int32_t code,
                           double wave_length, bool with_length) {
  std::string row(1, ' ');
  row.append(fixed_field(d, 8, 3)).append(fixed_field(T, 8, 3)).append(fixed_field(h, 8, 3));
  row.append(fixed_field(U, 8, 3)).append(integer_field(order, 5));
  row.append(integer_field(iterations, 7)).append(1, ' ').append(exponent_field(rms, 12, 3));
  row.append(1, ' ').append(integer_field(code, 5));
  if (with_length) row += fixed_field(wave_length, 10, 3);
  return row;
}

WavecelResult WAVECEL(double T, double d, double U) {
  const double g = kGravityF;
  const double sigma = kTwoPi / T;
  const double y = sigma * sigma * d / g;
  // Pade-type fit of the linear dispersion relation (error well below 1 %),
  // used as the start of the iteration with a current.
  const double p =
      1.0 + y * (0.6667 + y * (0.3556 + y * (0.1608 + y * (0.06321 + y * (0.02744 + y * 0.01)))));
  const double c0 = std::sqrt(g * d / (y + 1.0 / p));
  if (std::fabs(U) < 1e-6) return {T, c0};

  // Dispersion relation in the frame of the current, (omega - k U)^2 =
  // g k tanh(k d), relaxed for the wave length.
  double L = c0 * T;
  for (int pass = 0; pass < 100; ++pass) {
    const double Tr = L / (L / T - U);
    const double R = (g * Tr * Tr / kTwoPi) * std::tanh(kTwoPi * d / L) - L;
    L = L + 0.4 * R;
    if (std::fabs(R / L) <= 1e-6) {
      const double Tr_final = L / (L / T - U);
      return {Tr_final, L / Tr_final};
    }
  }
  fatal_stop(" WAVECEL error",
             "*** ERROR *** strf: the wave length on the current does not converge (T, wdepth, U) - "
             "process stopped");
}

float breaking_steepness(float b) {
  if (b > kDepthRatio[0]) return kBreakingSteepness[0];
  if (b < kDepthRatio[17]) return 0.8f * b;
  for (std::size_t i = 1; i < kDepthRatio.size(); ++i) {
    if (kDepthRatio[i] < b) {
      // Linear in the logarithms between the neighbouring rows.
      const float s = (std::log(b) - std::log(kDepthRatio[i])) /
                      (std::log(kDepthRatio[i - 1]) - std::log(kDepthRatio[i]));
      return std::exp(std::log(kBreakingSteepness[i]) +
                      s * (std::log(kBreakingSteepness[i - 1]) - std::log(kBreakingSteepness[i])));
    }
  }
  return kBreakingSteepness[17];  // b == DL(18)
}

float breaking_height_ratio(float H, float d, float Tr) {
  const float L0 = kGravityF * (Tr * Tr) / kTwoPiF;
  const float a = H / L0;
  const float b = d / L0;
  return a / breaking_steepness(b);
}

float breaking_ratio(float H, float d, float Tr, bool print) {
  const float r = breaking_height_ratio(H, d, Tr);
  if (print || r > 1.0f) {
    std::string line(" H/Hb              = ");
    line.append(fixed_field(r, 5, 3));
    if (r > 1.0f) fatal_stop(line, "*** ERROR *** strf wave is higher than the breaking height - process stopped");
    write_line(line);
  }
  return r;
}

std::int32_t strf_order_estimate(float d, float T, float r) {
  const float L0 = kGravityF * (T * T) / kTwoPiF;
  const float q = d / L0;
  const float ln_q = std::log(q);
  const float half = 0.5f * (0.86f / std::sqrt(q) + r * (7.0f + 2.2f * ln_q) +
                             r * r * (2.7f - 3.0f * ln_q));
  return 2 + 2 * static_cast<std::int32_t>(std::round(half));
}

StrfSetupResult strf_setup(float d, float T, float H, float U, bool print) {
  StrfSolution& s = strf_solution();
  s.d = d;
  s.T = T;
  s.U = U;

  const WavecelResult linear = WAVECEL(T, d, U);
  const float r = breaking_ratio(H, d, static_cast<float>(linear.Tr), true);

  std::int32_t n_max = strf_order_estimate(d, T, r);
  // The work arrays hold 25 points and N stays even: 24 is the highest order.
  constexpr std::int32_t kHighestOrder = kStrfCapacity - 1;
  if (n_max > kHighestOrder) {
    write_message("*** INFO *** Stream function order estimate ", n_max,
                  " exceeds the 25-point capacity - order ", kHighestOrder, " is used");
    n_max = kHighestOrder;
  }

  const float Hb = H / r;
  s.k = static_cast<double>(kTwoPiF) / (linear.c * static_cast<double>(T));
  if (print) print_header();

  // Linear first guess at the largest height that is safely below breaking.
  std::int32_t N = 6;
  float h = std::fmin(H, Hb / 2.0f);
  s.E.fill(0.0);
  s.E[1] = h / 2.0;
  s.h = h;

  const auto print_row = [&](std::int32_t order, const StrfSolveResult& result) {
    if (print)
      write_line(strf_table_row(s.d, s.T, s.h, s.U, order, result.iterations, result.rms,
                                result.code, wave_length_of(s.k), true));
  };

  StrfSolveResult result = strf_solve(N);
  if (result.code != 0) solver_failed(print, s, N, result);
  print_row(N, result);
  while (N < n_max) {
    N += 2;
    result = strf_solve(N);
    if (result.code != 0) solver_failed(print, s, N, result);
    print_row(N, result);
  }

  // Up to the requested height in steps of at most 10 %, each starting from
  // the previous profile scaled; with H <= Hb at most ten steps.
  if (H > Hb / 2.0f) {
    float f = 1.1f;
    for (bool last = false; !last;) {
      const float h_old = h;
      if (f * h_old <= H) {
        h = f * h_old;
      } else {
        h = H;
        last = true;
      }
      const double scale = static_cast<double>(h) / static_cast<double>(h_old);
      for (std::int32_t j = 1; j <= N - 1; ++j) s.E[j] *= scale;
      s.h = h;
      result = strf_solve(N);
      if (result.code != 0) solver_failed(print, s, N, result);
      print_row(N, result);
      f = 0.995f * f;
    }
  }
  strf_require_wave_profile(s, N);
  return {N, static_cast<float>(wave_length_of(s.k))};
}

bool strf_init(StrfModel& model, double depth) {
  const float d = static_cast<float>(depth);
  const float T = static_cast<float>(model.T);
  const float H = static_cast<float>(model.H);
  const float U = static_cast<float>(model.U);
  if (!(d > 0.0f) || !std::isfinite(d)) {
    write_message("*** ERROR *** Water depth must be greater than 0 for strf - wave model not set "
                  "up. wdepth =", depth);
    return false;
  }
  if (!(T > 0.0f) || !std::isfinite(T)) {
    write_line("*** ERROR *** In strf, no valid wave period T > 0 was given - wave model not set up");
    return false;
  }
  if (!(H > 0.0f) || !std::isfinite(H) || !std::isfinite(U)) {
    write_message("*** ERROR *** In strf, the wave height must be greater than 0 - wave model not "
                  "set up. H =", model.H);
    return false;
  }
  const StrfSetupResult result = strf_setup(d, T, H, U, true);
  model.order = result.order;
  model.wave_length = result.wave_length;
  return true;
}

}  // namespace pelm
