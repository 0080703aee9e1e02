#pragma once
// What every harness shares: the library's fatal stop turned into an
// exception that the harness catches, the console discarded, and the bytes of
// one input written to a file in a folder of the harness's own, which is the
// working folder, so that relative names in an input (included files, data
// files) stay inside it.
//
// A result that is not finite is a finding: the harness traps, and the fuzzer
// keeps the input.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelm::fuzz {

// Thrown by the fatal handler of the harness.
struct FatalStop {};

// Installs the fatal handler and the silent console, and makes a fresh
// working folder of this process current. Call once per process.
void prepare_harness();

// Writes `size` bytes to `name` in the working folder; returns the name.
std::string write_input(const std::string& name, const std::uint8_t* data, std::size_t size);

// Traps when a value is NaN or infinite.
void require_finite(const double* values, std::size_t count, const char* what);

// Evaluates the model set up in the library state at a few times and points
// (on the surface, in the column, above the still-water level, on the bed,
// far away) and requires finite results.
void evaluate_set_up_model();

}  // namespace pelm::fuzz
