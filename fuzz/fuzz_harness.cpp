#include "fuzz/fuzz_harness.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "interface/library_state.h"
#include "interface/model_dispatch.h"
#include "runtime/console.h"
#include "runtime/fatal.h"

namespace pelm::fuzz {

void prepare_harness() {
  set_fatal_handler([](std::string_view) { throw FatalStop{}; });
  set_console_sink([](std::string_view) {});
  const auto folder = std::filesystem::temp_directory_path() /
                      ("pelm_fuzz_" + std::to_string(static_cast<long>(getpid())));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
}

std::string write_input(const std::string& name, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return name;
}

void require_finite(const double* values, std::size_t count, const char* what) {
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isfinite(values[i])) {
      std::fprintf(stderr, "pelm fuzz: %s[%zu] = %g is not finite\n", what, i, values[i]);
      std::abort();
    }
  }
}

void evaluate_set_up_model() {
  LibraryState& state = library_state();
  const double times[] = {0.0, 3.7, 10.0, -1e6, 1e9};
  const double points[][3] = {{0, 0, 0},    {0, 0, -5},       {25, -3, -1e-3}, {1, 2, 0.5},
                              {0, 0, -1e4}, {1e7, -1e7, -20}, {0, 0, 1e6}};
  for (double t : times) {
    state.time = t;
    for (const auto& p : points) {
      double eta = 0.0, pdyn = 0.0, vel[3] = {0, 0, 0}, acc[3] = {0, 0, 0};
      evaluate_elevation(state, p, eta);
      evaluate_kinematics(state, p, vel, acc, pdyn);
      require_finite(&eta, 1, "eta");
      require_finite(vel, 3, "velocity");
      require_finite(acc, 3, "acceleration");
      require_finite(&pdyn, 1, "pressure");
    }
  }
}

}  // namespace pelm::fuzz
