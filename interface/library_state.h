#pragma once
// LibraryState: everything the library knows between calls, in one
// process-wide record.
//
// Lifecycle: load values until init; init reads the input file into it and
// sets up the selected wave model; afterwards set_new_time is the only call
// that changes it (the evaluations only write the evaluation position).
// Single-threaded: the host calls the library from one thread, and the
// evaluation calls are not reentrant.

#include <array>
#include <cstdint>
#include <memory>

#include "input/command_file.h"
#include "models/external/wavemods_model.h"
#include "models/deterministic/det_model.h"
#include "models/irregular/irregular_model.h"
#include "models/regular/regular_model.h"
#include "models/stream_function/strf_model.h"
#include "numerics/constants.h"

namespace pelm {

// Which wave model init sets up and the evaluations answer from. Any other
// value is kept as given and selects no model.
using WaveModel = std::int32_t;
inline constexpr WaveModel kRegAiry = 0;
inline constexpr WaveModel kIregAiry = 1;
inline constexpr WaveModel kDetAiry = 2;
inline constexpr WaveModel kStrf = 3;
inline constexpr WaveModel kWavemods = 4;

struct LibraryState {
  static constexpr double gravity = kGravity;       // m/s^2, never changed
  static constexpr double density = kWaterDensity;  // kg/m^3, never changed

  double depth = 0.0;  // h (m), from wdepth
  WaveModel wave_model = kIregAiry;
  double pi = 0.0;    // set by init
  double time = 0.0;  // current time (s)
  std::array<double, 3> position{};  // evaluation position (scratch of the evaluations)

  std::unique_ptr<CommandFile> master_file;
  CommandFile* current_file = nullptr;

  // One record per model block read; absent until its block is met.
  std::unique_ptr<RegModel> reg_airy;
  std::unique_ptr<IregModel> ireg_airy;
  std::unique_ptr<WavemodsModel> wavemods;
  std::unique_ptr<DetModel> det_airy;
  std::unique_ptr<StrfModel> strf;  // the solution itself is process-wide: strf_solution()

  // True once the selected model has been set up; until then (and when the
  // set-up was refused) the evaluations leave their outputs unchanged.
  bool model_ready = false;
};

LibraryState& library_state();

// Returns the state to its load values. The random stream and the file unit
// counter are process-wide and are not part of it.
void reset_library_state();

}  // namespace pelm
