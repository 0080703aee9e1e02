#include "run_options.h"

#include <charconv>
#include <cmath>

namespace pelm_driver {
namespace {

// A whole token as one finite number (locale-free).
bool parse_number(const std::string& text, double& value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto result = std::from_chars(begin, end, value);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool parse_point(const std::string& text, std::array<double, 3>& point) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t comma = text.find(',', start);
    const bool last = i == 2;
    if (last != (comma == std::string::npos)) return false;
    const std::string field = text.substr(start, last ? std::string::npos : comma - start);
    if (!parse_number(field, point[i])) return false;
    start = comma + 1;
  }
  return true;
}

}  // namespace

const std::vector<std::array<double, 3>>& default_points() {
  static const std::vector<std::array<double, 3>> points = {{0.0, 0.0, 0.0}, {0.0, 0.0, -10.0}};
  return points;
}

std::optional<RunOptions> parse_run_options(const std::vector<std::string>& args,
                                            std::string& error) {
  RunOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) {
      if (!options.input.empty()) {
        error = "more than one input file given: '" + options.input + "' and '" + arg + "'";
        return std::nullopt;
      }
      options.input = arg;
      continue;
    }
    std::string value;
    const std::size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg.resize(equals);
    } else if (arg == "--t-start" || arg == "--t-end" || arg == "--dt" || arg == "--point" ||
               arg == "--out") {
      if (i + 1 >= args.size()) {
        error = "option " + arg + " needs a value";
        return std::nullopt;
      }
      value = args[++i];
    }
    double* number = arg == "--t-start" ? &options.t_start
                     : arg == "--t-end" ? &options.t_end
                     : arg == "--dt"    ? &options.dt
                                        : nullptr;
    if (number != nullptr) {
      if (!parse_number(value, *number)) {
        error = "option " + arg + " needs a number, not '" + value + "'";
        return std::nullopt;
      }
    } else if (arg == "--point") {
      std::array<double, 3> point{};
      if (!parse_point(value, point)) {
        error = "option --point needs X,Y,Z (three numbers), not '" + value + "'";
        return std::nullopt;
      }
      options.points.push_back(point);
    } else if (arg == "--out") {
      if (value.empty()) {
        error = "option --out needs a file name";
        return std::nullopt;
      }
      options.out = value;
    } else {
      error = "unknown option '" + arg + "'";
      return std::nullopt;
    }
  }
  return options;
}

long long step_count(const RunOptions& options, std::string& error) {
  if (!(options.dt > 0.0)) {
    error = "--dt must be greater than 0";
    return -1;
  }
  if (options.t_end < options.t_start) {
    error = "--t-end must not be before --t-start";
    return -1;
  }
  // Past this the run would not end in a working day, and the count no longer
  // fits the arithmetic comfortably.
  constexpr double kMaxSteps = 1e9;
  const double steps = std::round((options.t_end - options.t_start) / options.dt);
  if (!(steps <= kMaxSteps)) {
    error = "the window holds more than 1e9 time steps; choose a larger --dt";
    return -1;
  }
  return static_cast<long long>(steps);
}

std::string format_number(double value) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

}  // namespace pelm_driver
