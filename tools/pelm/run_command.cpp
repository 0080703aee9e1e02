#include "run_command.h"

#include <cstdio>
#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "default_example.h"
#include "library_binding.h"
#include "partial_output.h"
#include "run_options.h"

namespace pelm_driver {
namespace {

constexpr const char* kCsvHeader = "t,x,y,z,eta,u,v,w,ax,ay,az,pdyn";

void complain(const std::string& message) { std::fprintf(stderr, "pelm: %s\n", message.c_str()); }

// The bundled example, written to a file of its own in the temporary folder
// so that `pelm run` works from any folder; removed when the run ends.
class BundledExample {
 public:
  bool write(std::string& error) {
    std::error_code code;
    const auto folder = std::filesystem::temp_directory_path(code);
    if (code) {
      error = "no temporary folder for the bundled example: " + code.message();
      return false;
    }
    path_ = folder / ("pelm_example_" + std::to_string(process_tag()) + "_" + kDefaultExampleName);
    std::ofstream file(path_, std::ios::binary);
    file << kDefaultExampleText;
    if (!file) {
      error = "cannot write the bundled example to " + path_.string();
      return false;
    }
    return true;
  }
  ~BundledExample() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove(path_, ignored);
  }
  std::string path() const { return path_.string(); }

 private:
  // Distinct per run so that parallel runs do not share the file.
  static unsigned long process_tag() { return std::random_device{}(); }
  std::filesystem::path path_;
};

void append_row(std::string& out, double t, const std::array<double, 3>& p, double eta,
                const double* vel, const double* acc, double pdyn) {
  const double values[] = {t, p[0], p[1], p[2], eta, vel[0], vel[1], vel[2],
                           acc[0], acc[1], acc[2], pdyn};
  bool first = true;
  for (double v : values) {
    if (!first) out += ',';
    out += format_number(v);
    first = false;
  }
  out += '\n';
}

}  // namespace

void print_run_help() {
  std::printf(
      "usage: pelm run [INPUT] [--t-start S] [--t-end S] [--dt S] [--point X,Y,Z]... [--out FILE]\n"
      "\n"
      "Loads the wave model of INPUT through the library's four exported functions,\n"
      "as a simulation host does, and writes the sea state at the given points to CSV.\n"
      "\n"
      "  INPUT          input file (default: the bundled example %s)\n"
      "  --t-start S    simulation start time in s (default 0)\n"
      "  --t-end S      simulation end time in s (default 60)\n"
      "  --dt S         time step in s (default 0.1); times t_start + k*dt, k = 0..n,\n"
      "                 n = round((t_end - t_start)/dt)\n"
      "  --point X,Y,Z  evaluation point in m, z up from still water, bed at z = -h;\n"
      "                 repeat for more points (default 0,0,0 and 0,0,-10)\n"
      "  --out FILE     CSV output (default pelm_output.csv)\n"
      "\n"
      "CSV columns: t [s], x, y, z [m], eta [m], u, v, w [m/s], ax, ay, az [m/s^2],\n"
      "pdyn [Pa, dynamic pressure without the hydrostatic part]. Numbers are written\n"
      "in shortest round-trip form. The library's messages go to standard output,\n"
      "the driver's own to standard error.\n",
      kDefaultExampleName);
}

int run_command(const std::vector<std::string>& args) {
  std::string error;
  const auto parsed = parse_run_options(args, error);
  if (!parsed) {
    complain(error + " (see pelm run --help)");
    return 2;
  }
  const RunOptions& options = *parsed;
  if (options.help) {
    print_run_help();
    return 0;
  }
  const long long steps = step_count(options, error);
  if (steps < 0) {
    complain(error);
    return 2;
  }

  BundledExample example;
  std::string input = options.input;
  if (input.empty()) {
    if (!example.write(error)) {
      complain(error);
      return 1;
    }
    input = example.path();
  } else {
    std::error_code code;
    if (!std::filesystem::is_regular_file(input, code)) {
      complain("input file not found: " + input);
      return 2;
    }
  }

  PartialOutput output;
  if (!output.open(options.out, error)) {
    complain(error);
    return 1;
  }

  PelmLibrary library{};
  if (!bind_pelm_library(library, error)) {
    complain(error);
    return 1;
  }

  const auto& points = options.points.empty() ? default_points() : options.points;
  library.init(input.data(), static_cast<int32_t>(input.size()), &options.t_start,
               &options.t_end, &options.dt);

  if (!output.start(error)) {
    complain(error);
    return 1;
  }
  std::ofstream& csv = output.stream();
  std::string rows = std::string(kCsvHeader) + '\n';
  for (long long k = 0; k <= steps; ++k) {
    const double t = options.t_start + static_cast<double>(k) * options.dt;
    library.set_new_time(&t);
    for (const auto& point : points) {
      // The library leaves its outputs alone when no model is set up.
      double eta = 0.0, pdyn = 0.0;
      double vel[3] = {0.0, 0.0, 0.0}, acc[3] = {0.0, 0.0, 0.0};
      library.get_sea_elevation(point.data(), &eta);
      library.get_kinematics(point.data(), vel, acc, &pdyn);
      append_row(rows, t, point, eta, vel, acc, pdyn);
    }
    if (rows.size() > (1u << 20)) {
      csv << rows;
      rows.clear();
    }
  }
  csv << rows;
  if (!output.commit(error)) {
    complain(error);
    return 1;
  }
  return 0;
}

}  // namespace pelm_driver
