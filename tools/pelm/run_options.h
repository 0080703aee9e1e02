#pragma once
// Options of "pelm run".

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace pelm_driver {

struct RunOptions {
  std::string input;  // empty: the bundled example
  double t_start = 0.0;
  double t_end = 60.0;
  double dt = 0.1;
  std::vector<std::array<double, 3>> points;  // empty: the default points
  std::string out = "pelm_output.csv";
  bool help = false;
};

// The points evaluated when the command line names none.
const std::vector<std::array<double, 3>>& default_points();

// Parses the arguments after "run". On a usage error returns nothing and
// sets `error` to one line.
std::optional<RunOptions> parse_run_options(const std::vector<std::string>& args,
                                            std::string& error);

// Number of time steps n of the window: t_k = t_start + k*dt for k = 0..n.
// Returns a negative value (with `error` set) when the window is unusable.
long long step_count(const RunOptions& options, std::string& error);

// A number in shortest round-trip form.
std::string format_number(double value);

}  // namespace pelm_driver
