// The whole init path from bytes: the command-file reader, the master block,
// every model block and the set-up of the selected model, then evaluations.
// Included files may be named; the seed corpus holds the bundled examples and
// the test inputs.

#include <cstddef>
#include <cstdint>
#include <new>

#include "fuzz/fuzz_harness.h"
#include "interface/library_state.h"
#include "interface/model_dispatch.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  pelm::fuzz::prepare_harness();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name = pelm::fuzz::write_input("input.inp", data, size);
  pelm::LibraryState& state = pelm::library_state();
  try {
    // A short window keeps one run fast; the grid and the variance
    // normalisation still see several steps.
    pelm::initialise_library(state, name, 0.0, 10.0, 0.5);
  } catch (const pelm::fuzz::FatalStop&) {
    return 0;  // a clean stop with its message
  }
  pelm::fuzz::evaluate_set_up_model();
  return 0;
}
