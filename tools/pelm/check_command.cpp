// "pelm check": a one-screen report on the sea an input gives, read before a
// long run.
//
// Unlike "pelm run", which is a host and reaches the library only through
// its four exports, check needs the model's internals (the spectrum, the
// components, the grid), which the exports do not give. It therefore sets
// the library up in-process from the static core: this file never calls the
// exports, and the shared library that the driver also links for "run" (its
// own copy of the state, with its internal symbols hidden) is left untouched.
// The core's console lines are captured, and a fatal stop unwinds to here
// through a throwing fatal handler instead of ending the process.
//
// Units: SI throughout; frequencies in rad/s with Hz beside them; the frame
// is the library's (z up from still water, the origin at x = y = 0).

#include "check_command.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "interface/library_state.h"
#include "interface/model_dispatch.h"
#include "models/irregular/field_kernels.h"
#include "models/irregular/spectra.h"
#include "models/stream_function/strf_model.h"
#include "numerics/sine_cosine.h"
#include "run_options.h"
#include "runtime/console.h"
#include "runtime/fatal.h"

namespace pelm_driver {
namespace {

using pelm::LibraryState;

constexpr double kPi = 3.141592653589793;
constexpr double kMiB = 1024.0 * 1024.0;
constexpr int kDensitySamples = 241;

void complain(const std::string& message) { std::fprintf(stderr, "pelm: %s\n", message.c_str()); }

struct FatalUnwind {};

// The message of a fatal stop, kept by the handler (a plain function).
std::string g_fatal_message;

// Short human form of a number: 4 significant digits.
std::string brief(double value) {
  if (!std::isfinite(value)) return "-";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.4g", value);
  return buffer;
}

// The library's error lines: "*** ERROR *** ..." and the reader's "Error
// opening file: ..."; a fatal stop's own line is added by the handler.
bool is_error_line(std::string_view line) {
  const std::size_t start = line.find_first_not_of(' ');
  return line.find("*** ERROR") != std::string_view::npos ||
         (start != std::string_view::npos && line.substr(start).starts_with("Error"));
}

// The library's diagnostic elevation record of an irregular sea, written to
// the current folder at every set-up: check puts back what was there.
constexpr const char* kDiagnosticFile = "fort.98";

class KeepFile {
 public:
  explicit KeepFile(std::filesystem::path path) : path_(std::move(path)) {
    std::ifstream in(path_, std::ios::binary);
    if (in) {
      existed_ = true;
      content_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  ~KeepFile() {
    std::error_code ignored;
    if (existed_)
      std::ofstream(path_, std::ios::binary) << content_;
    else
      std::filesystem::remove(path_, ignored);
  }

 private:
  std::filesystem::path path_;
  bool existed_ = false;
  std::string content_;
};

struct Facts {
  std::string input;
  double t_start = 0.0, t_end = 0.0, dt = 0.0;
  std::string model;
  std::int32_t wavetype = 0;
  double depth = 0.0;
  bool ready = false;    // the model set up
  bool stopped = false;  // the library ended the set-up with a fatal stop
  std::size_t console_lines = 0;
  std::vector<std::string> error_lines;
  std::vector<std::string> warnings;

  // Linear seas (ireg_airy, det_airy).
  std::string spectrum;  // "jonswap", "pierson-moskowitz", "white noise", "record"
  std::vector<std::pair<std::string, double>> spectrum_parameters;
  double target_hs = NAN, target_tp = NAN, target_variance = NAN;
  double realised_hs = NAN, realised_tp = NAN, realised_variance = NAN;
  std::size_t components = 0;
  std::string kernels;  // the vector path of the direct sum and the grid build
  double delta_omega = NAN;  // even spacing of a synthesised sea (rad/s)
  double omega_low = NAN, omega_high = NAN;
  std::vector<std::pair<double, double>> target_density;  // (omega, S)
  double record_length = NAN;                           // det_airy
  std::int32_t record_samples = 0;

  // The precomputed grid.
  bool grid = false;
  std::int32_t nt = 0, ny = 0, nz = 0;
  double grid_dt = NAN, grid_first = NAN, grid_last = NAN, grid_mib = NAN, grid_tx = NAN;
  double grid_x = NAN, grid_y = NAN;  // the grid serves |x| <= grid_x and |y| <= grid_y (m)

  // Regular waves (reg_airy, strf).
  double height = NAN, period = NAN, current = NAN, wave_length = NAN;
  double steepness = NAN, breaking = NAN, ursell = NAN;
  std::int32_t order = 0;

  // wavemods.
  std::int32_t data_records = 0, data_levels = 0;
  double data_first = NAN, data_last = NAN, t0 = NAN;
};

const char* model_name(std::int32_t wavetype) {
  switch (wavetype) {
    case pelm::kRegAiry: return "reg_airy";
    case pelm::kIregAiry: return "ireg_airy";
    case pelm::kDetAiry: return "det_airy";
    case pelm::kStrf: return "strf";
    case pelm::kWavemods: return "wavemods";
    default: return "none";
  }
}

// Variance of the elevation at the origin over the window, as the
// irregular set-up normalises it: the mean square of n_t samples over
// n_t - 1, no mean removed, summed directly from the components with the
// library's own sine (the same numbers on every platform).
double window_variance(const std::vector<pelm::WaveComponent>& components, const Facts& f) {
  const double n_real = std::round((f.t_end - f.t_start) / f.dt);
  if (!(n_real >= 2.0 && n_real <= 1e7)) return NAN;
  const auto n = static_cast<std::int64_t>(n_real);
  double sum = 0.0;
  for (std::int64_t k = 0; k < n; ++k) {
    const double t = f.t_start + static_cast<double>(k) * f.dt;
    double eta = 0.0;
    for (const auto& c : components) eta += c.amplitude * pelm::sine(c.omega * t + c.phase);
    sum += eta * eta;
  }
  return sum / static_cast<double>(n - 1);
}

void linear_facts(const pelm::IregModel& m, Facts& f) {
  const auto& cs = m.components;
  f.components = cs.size();
  if (cs.empty()) return;
  f.kernels = pelm::field_path_name(pelm::active_field_path());
  f.omega_low = cs.front().omega;
  f.omega_high = cs.back().omega;
  const auto peak = std::max_element(cs.begin(), cs.end(), [](const auto& a, const auto& b) {
    return a.amplitude < b.amplitude;
  });
  f.realised_tp = 2.0 * kPi / peak->omega;
  f.realised_variance = window_variance(cs, f);
  f.realised_hs = 4.0 * std::sqrt(f.realised_variance);
  if (m.grid && m.precompute) {
    const auto& g = *m.grid;
    f.grid = true;
    f.nt = g.nt;
    f.ny = g.ny;
    f.nz = g.nz;
    f.grid_dt = g.dt_grid;
    f.grid_first = g.t_first;
    f.grid_last = g.t_first + static_cast<double>(g.nt - 1) * g.dt_grid;
    f.grid_tx = g.t_x;
    // Beyond x_range the time shift leaves the grid's widened window; beyond
    // the outer lateral stations the values of the outer station are held.
    f.grid_x = g.x_range;
    f.grid_y = g.ny > 1 ? 0.5 * (g.ny - 1) * g.dy : 0.0;
    const double values = static_cast<double>(g.eta.size() + g.kinematics.size() + g.level_height.size());
    f.grid_mib = values * sizeof(double) / kMiB;
  }
}

void irregular_facts(const pelm::IregModel& m, Facts& f) {
  // The target density, sampled from half the lowest to 1.5 times the highest
  // frequency of the components (for the plot's comparison).
  const auto density = [&](double omega) {
    switch (m.spectrum) {
      case 1: return pelm::jonswap_density((*m.jonswap)[0], (*m.jonswap)[1], (*m.jonswap)[2], omega);
      case 2: return pelm::pierson_moskowitz_density((*m.pm)[0], (*m.pm)[1], omega);
      default: return pelm::white_noise_density((*m.wn)[0], (*m.wn)[1]) * (omega <= 2.0 * kPi * (*m.wn)[1]);
    }
  };
  bool have = false;
  if (m.spectrum == 1 && m.jonswap) {
    f.spectrum = "jonswap";
    f.spectrum_parameters = {{"hs", (*m.jonswap)[0]}, {"tp", (*m.jonswap)[1]}, {"gamma", (*m.jonswap)[2]}};
    f.target_hs = (*m.jonswap)[0];
    f.target_tp = (*m.jonswap)[1];
    have = true;
  } else if (m.spectrum == 2 && m.pm) {
    f.spectrum = "pierson-moskowitz";
    f.spectrum_parameters = {{"hs", (*m.pm)[0]}, {"tz", (*m.pm)[1]}};
    f.target_hs = (*m.pm)[0];
    // Pierson-Moskowitz: Tp / Tz = (5 pi / 4)^(1/4), from its spectral moments.
    f.target_tp = std::pow(5.0 * kPi / 4.0, 0.25) * (*m.pm)[1];
    have = true;
  } else if (m.spectrum == 3 && m.wn) {
    f.spectrum = "white noise";
    f.spectrum_parameters = {{"variance", (*m.wn)[0]}, {"cutoff_hz", (*m.wn)[1]}};
    f.target_hs = 4.0 * std::sqrt((*m.wn)[0]);
    have = true;
  }
  if (have) f.target_variance = f.target_hs * f.target_hs / 16.0;
  linear_facts(m, f);
  if (m.spectrum != 3) f.delta_omega = m.delta_omega;  // white noise is rebuilt on the window's own bins
  if (f.spectrum == "white noise") f.realised_tp = NAN;  // a flat spectrum has no peak
  if (have && f.components > 0) {
    const double low = 0.5 * f.omega_low;
    const double high = 1.5 * f.omega_high;
    for (int i = 0; i < kDensitySamples; ++i) {
      const double omega = low + (high - low) * i / (kDensitySamples - 1);
      f.target_density.emplace_back(omega, density(omega));
    }
  }
}

void regular_facts(double H, double T, double L, double d, float Tr, Facts& f) {
  f.height = H;
  f.period = T;
  f.wave_length = L;
  f.steepness = H / L;
  f.ursell = H * L * L / (d * d * d);
  f.breaking = pelm::breaking_height_ratio(static_cast<float>(H), static_cast<float>(d), Tr);
}

void gather(const LibraryState& s, Facts& f) {
  f.wavetype = s.wave_model;
  f.model = model_name(s.wave_model);
  f.depth = s.depth;
  switch (s.wave_model) {
    case pelm::kRegAiry:
      if (s.reg_airy && s.model_ready) {
        const auto& m = *s.reg_airy;
        regular_facts(m.height, 2.0 * kPi / m.omega, 2.0 * kPi / m.k, s.depth,
                      static_cast<float>(2.0 * kPi / m.omega), f);
      }
      break;
    case pelm::kIregAiry:
      if (s.ireg_airy) irregular_facts(*s.ireg_airy, f);
      break;
    case pelm::kDetAiry:
      if (s.det_airy) {
        const auto& m = *s.det_airy;
        f.spectrum = "record";
        f.record_length = m.record_length;
        f.record_samples = m.sample_count;
        linear_facts(m.field, f);
        double variance = 0.0;
        for (const auto& c : m.field.components) variance += 0.5 * c.amplitude * c.amplitude;
        f.target_variance = variance;
        f.target_hs = 4.0 * std::sqrt(variance);
        f.target_tp = f.realised_tp;  // both from the strongest component
      }
      break;
    case pelm::kStrf:
      if (s.strf && s.strf->H > 0.0 && s.strf->T > 0.0 && s.depth > 0.0) {
        const auto& m = *s.strf;
        f.current = m.U;
        f.order = static_cast<std::int32_t>(m.order);
        // The set-up's own linear estimate of the relative period; the solved
        // length when the set-up got that far.
        const auto linear = pelm::WAVECEL(m.T, s.depth, m.U);
        const double L = m.wave_length > 0.0 ? m.wave_length : linear.c * linear.Tr;
        regular_facts(m.H, m.T, L, s.depth, static_cast<float>(linear.Tr), f);
      }
      break;
    case pelm::kWavemods:
      if (s.wavemods) {
        const auto& m = *s.wavemods;
        f.data_records = m.nt;
        f.data_levels = m.nd;
        f.t0 = m.t0;
        if (!m.time.empty()) {
          f.data_first = m.time.front();
          f.data_last = m.t_last;
        }
      }
      break;
    default:
      break;
  }
}

void add_warnings(Facts& f) {
  const double window = f.t_end - f.t_start;
  if (f.breaking > 1.0)
    f.warnings.push_back("the wave is beyond breaking: H/Hb = " + brief(f.breaking));
  if (std::isfinite(f.omega_low) && f.omega_low > 0.0 && window < 2.0 * kPi / f.omega_low)
    f.warnings.push_back("the window (" + brief(window) + " s) is shorter than the period of the lowest "
                         "component (" + brief(2.0 * kPi / f.omega_low) + " s)");
  // Components on an even frequency spacing d_omega beat with period
  // 2 pi / d_omega: past it the wave groups come round again.
  if (f.delta_omega > 0.0 && 2.0 * kPi / f.delta_omega < window)
    f.warnings.push_back("the components are spaced " + brief(f.delta_omega) + " rad/s: the wave groups repeat every " +
                         brief(2.0 * kPi / f.delta_omega) + " s, within the window; more components (coef) widen it");
  if (std::isfinite(f.realised_variance) && f.target_variance > 0.0 &&
      std::fabs(f.realised_variance / f.target_variance - 1.0) > 0.1)
    f.warnings.push_back("the variance over the window differs from the target by " +
                         brief(100.0 * (f.realised_variance / f.target_variance - 1.0)) + " %");
  if (f.grid && (f.grid_first > f.t_start || f.grid_last < f.t_end))
    f.warnings.push_back("the grid (" + brief(f.grid_first) + " .. " + brief(f.grid_last) +
                         " s) does not cover the window; beyond it the sea is frozen");
  if (std::isfinite(f.record_length) && f.record_length < window)
    f.warnings.push_back("the record (" + brief(f.record_length) + " s) is shorter than the window (" +
                         brief(window) + " s): the sea repeats");
  if (std::isfinite(f.data_first) &&
      (f.t_start + f.t0 < f.data_first || f.t_end + f.t0 > f.data_last))
    f.warnings.push_back("the data (" + brief(f.data_first) + " .. " + brief(f.data_last) +
                         " s) do not cover the window shifted by t0 (" + brief(f.t_start + f.t0) +
                         " .. " + brief(f.t_end + f.t0) + " s): the end records are held");
  if (!f.ready && !f.stopped && f.error_lines.empty())
    f.warnings.push_back("no wave model was set up");
}

void print_summary(const Facts& f) {
  const auto row = [](const char* label, const std::string& text) {
    std::printf("%-12s %s\n", label, text.c_str());
  };
  row("input", f.input + "  (window " + brief(f.t_start) + " .. " + brief(f.t_end) + " s, dt " +
                   brief(f.dt) + " s)");
  row("model", f.model + " (wavetype " + std::to_string(f.wavetype) + "), depth " + brief(f.depth) + " m");
  std::string library = f.stopped ? "stopped" : f.ready ? "set up" : "refused";
  library += ", " + std::to_string(f.console_lines) + " console lines, " +
             std::to_string(f.error_lines.size()) + " error lines";
  row("library", library);
  for (const auto& line : f.error_lines) row("", line);

  if (!f.spectrum.empty()) {
    std::string params;
    for (const auto& [name, value] : f.spectrum_parameters) params += " " + name + " " + brief(value);
    if (f.spectrum == "record")
      params = " " + std::to_string(f.record_samples) + " samples over " + brief(f.record_length) + " s";
    row("spectrum", f.spectrum + params);
    row("target", "Hs " + brief(f.target_hs) + " m, Tp " + brief(f.target_tp) + " s, variance " +
                      brief(f.target_variance) + " m^2" +
                      (f.spectrum == "record" ? "  (the kept components)" : ""));
  }
  if (f.components > 0) {
    row("realised", "Hs " + brief(f.realised_hs) + " m, Tp " + brief(f.realised_tp) + " s, variance " +
                        brief(f.realised_variance) + " m^2  (at the origin over the window)");
    row("components", std::to_string(f.components) + ", " + brief(f.omega_low) + " .. " +
                          brief(f.omega_high) + " rad/s (" + brief(f.omega_low / (2 * kPi)) + " .. " +
                          brief(f.omega_high / (2 * kPi)) + " Hz), periods " +
                          brief(2 * kPi / f.omega_high) + " .. " + brief(2 * kPi / f.omega_low) + " s");
  }
  if (!f.kernels.empty())
    row("kernels", f.kernels + " (the vector path this processor runs for the sums over the components)");
  if (f.grid)
    row("grid", "Nt " + std::to_string(f.nt) + " x Ny " + std::to_string(f.ny) + " x Nz " +
                    std::to_string(f.nz) + " nodes, " + brief(f.grid_mib) + " MiB, dt " + brief(f.grid_dt) +
                    " s, " + brief(f.grid_first) + " .. " + brief(f.grid_last) + " s, |x| <= " +
                    brief(f.grid_x) + " m" + (f.ny > 1 ? ", |y| <= " + brief(f.grid_y) + " m" : ""));
  else if (f.components > 0)
    row("grid", "none: summed directly at every call");
  if (std::isfinite(f.height)) {
    std::string wave = "H " + brief(f.height) + " m, T " + brief(f.period) + " s, L " +
                       brief(f.wave_length) + " m";
    if (std::isfinite(f.current)) wave += ", U " + brief(f.current) + " m/s";
    if (f.order > 0) wave += ", order " + std::to_string(f.order);
    row("wave", wave);
    row("steepness", "H/L " + brief(f.steepness) + ", H/Hb " + brief(f.breaking) +
                         " (breaking ratio), Ursell H L^2/d^3 " + brief(f.ursell));
  }
  if (f.data_records > 0)
    row("data", std::to_string(f.data_records) + " records x " + std::to_string(f.data_levels) +
                    " levels, " + brief(f.data_first) + " .. " + brief(f.data_last) + " s, t0 " +
                    brief(f.t0) + " s");
  if (f.warnings.empty() && f.ready) row("warnings", "none");
  for (const auto& w : f.warnings) std::printf("warning: %s\n", w.c_str());
}

std::string json_string(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string json_number(double value) { return std::isfinite(value) ? format_number(value) : "null"; }

void print_json(const Facts& f) {
  std::string j = "{\n";
  const auto field = [&j](const char* key, const std::string& value) {
    j += "  " + json_string(key) + ": " + value + ",\n";
  };
  field("input", json_string(f.input));
  field("t_start", json_number(f.t_start));
  field("t_end", json_number(f.t_end));
  field("dt", json_number(f.dt));
  field("model", json_string(f.model));
  field("wavetype", std::to_string(f.wavetype));
  field("depth", json_number(f.depth));
  field("ready", f.ready ? "true" : "false");
  field("stopped", f.stopped ? "true" : "false");
  field("spectrum", f.spectrum.empty() ? "null" : json_string(f.spectrum));
  std::string params = "{";
  for (const auto& [name, value] : f.spectrum_parameters)
    params += (params.size() > 1 ? ", " : "") + json_string(name) + ": " + json_number(value);
  field("spectrum_parameters", params + "}");
  field("target_hs", json_number(f.target_hs));
  field("target_tp", json_number(f.target_tp));
  field("target_variance", json_number(f.target_variance));
  field("realised_hs", json_number(f.realised_hs));
  field("realised_tp", json_number(f.realised_tp));
  field("realised_variance", json_number(f.realised_variance));
  field("components", std::to_string(f.components));
  field("kernels", f.kernels.empty() ? "null" : json_string(f.kernels));
  field("omega_low", json_number(f.omega_low));
  field("omega_high", json_number(f.omega_high));
  field("delta_omega", json_number(f.delta_omega));
  std::string density = "[";
  for (const auto& [omega, s] : f.target_density)
    density += (density.size() > 1 ? ", " : "") + ("[" + json_number(omega) + ", " + json_number(s) + "]");
  field("target_density", density + "]");
  field("record_length", json_number(f.record_length));
  field("grid_nodes", f.grid ? "[" + std::to_string(f.nt) + ", " + std::to_string(f.ny) + ", " +
                                   std::to_string(f.nz) + "]"
                             : "null");
  field("grid_mib", json_number(f.grid_mib));
  field("grid_first", json_number(f.grid_first));
  field("grid_last", json_number(f.grid_last));
  field("grid_x_range", json_number(f.grid_x));
  field("grid_y_range", json_number(f.grid_y));
  field("height", json_number(f.height));
  field("period", json_number(f.period));
  field("current", json_number(f.current));
  field("wave_length", json_number(f.wave_length));
  field("steepness", json_number(f.steepness));
  field("breaking_ratio", json_number(f.breaking));
  field("ursell", json_number(f.ursell));
  field("data_first", json_number(f.data_first));
  field("data_last", json_number(f.data_last));
  field("t0", json_number(f.t0));
  std::string errors = "[";
  for (const auto& e : f.error_lines) errors += (errors.size() > 1 ? ", " : "") + json_string(e);
  field("errors", errors + "]");
  std::string warnings = "[";
  for (const auto& w : f.warnings) warnings += (warnings.size() > 1 ? ", " : "") + json_string(w);
  j += "  \"warnings\": " + warnings + "]\n}\n";
  std::fputs(j.c_str(), stdout);
}

}  // namespace

void print_check_help() {
  std::printf(
      "usage: pelm check INPUT [--t-start S] [--t-end S] [--dt S] [--json]\n"
      "\n"
      "Sets the wave model of INPUT up for the simulation window, as init does, and\n"
      "prints a one-screen summary: the model, the target and realised sea (Hs, Tp,\n"
      "variance), the components and their frequency band, the precomputed grid and\n"
      "its memory, the steepness, breaking ratio and Ursell number of a regular wave,\n"
      "and lines starting \"warning:\" where the sea is doubtful. The library's own\n"
      "console lines are counted, and only its error lines are shown.\n"
      "\n"
      "  --t-start S, --t-end S, --dt S   the host's window (defaults 0, 600, 0.1)\n"
      "  --json                           the same facts as JSON\n"
      "\n"
      "Exit status 0 when the sea set up (warnings or not), 1 when the library\n"
      "refused the input or stopped, 2 on a usage error.\n");
}

int check_command(const std::vector<std::string>& args) {
  std::vector<std::string> rest;
  bool json = false;
  for (const auto& arg : args) {
    if (arg == "--json") {
      json = true;
    } else if (arg.rfind("--point", 0) == 0 || arg.rfind("--out", 0) == 0) {
      complain("unknown option '" + arg.substr(0, arg.find('=')) + "' (see pelm check --help)");
      return 2;
    } else {
      rest.push_back(arg);
    }
  }
  // A check is for a long run: ten minutes unless the window is given.
  rest.insert(rest.begin(), "--t-end=600");
  std::string error;
  const auto parsed = parse_run_options(rest, error);
  if (!parsed) {
    complain(error + " (see pelm check --help)");
    return 2;
  }
  if (parsed->help) {
    print_check_help();
    return 0;
  }
  if (parsed->input.empty()) {
    complain("pelm check needs an input file (see pelm check --help)");
    return 2;
  }
  if (step_count(*parsed, error) < 0) {
    complain(error);
    return 2;
  }
  std::error_code code;
  if (!std::filesystem::is_regular_file(parsed->input, code)) {
    complain("input file not found: " + parsed->input);
    return 2;
  }

  Facts f;
  f.input = parsed->input;
  f.t_start = parsed->t_start;
  f.t_end = parsed->t_end;
  f.dt = parsed->dt;

  const auto previous_sink = pelm::set_console_sink([&f](std::string_view line) {
    ++f.console_lines;
    if (is_error_line(line)) f.error_lines.emplace_back(line);
  });
  g_fatal_message.clear();
  const auto previous_handler = pelm::set_fatal_handler([](std::string_view message) {
    g_fatal_message = message;
    throw FatalUnwind{};
  });
  LibraryState& state = pelm::library_state();
  const KeepFile diagnostic_record(kDiagnosticFile);
  try {
    pelm::initialise_library(state, f.input, f.t_start, f.t_end, f.dt);
  } catch (const FatalUnwind&) {
    f.stopped = true;
    if (std::find(f.error_lines.begin(), f.error_lines.end(), g_fatal_message) == f.error_lines.end())
      f.error_lines.push_back(g_fatal_message);
  } catch (const std::exception& e) {
    f.stopped = true;
    f.error_lines.push_back(std::string("*** ERROR *** ") + e.what());
  }
  f.ready = state.model_ready && !f.stopped;
  try {
    gather(state, f);
  } catch (const FatalUnwind&) {
    // Only the facts that need a further solve are missing.
  }
  pelm::set_fatal_handler(previous_handler);
  pelm::set_console_sink(previous_sink);

  add_warnings(f);
  if (json)
    print_json(f);
  else
    print_summary(f);
  return f.ready ? 0 : 1;
}

}  // namespace pelm_driver
