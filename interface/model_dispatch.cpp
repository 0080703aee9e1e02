#include "interface/model_dispatch.h"

#include <cmath>
#include <string>

#include "interface/library_state.h"
#include "interface/master_input.h"
#include "runtime/console.h"

namespace pelm {
namespace {

const char* model_name(WaveModel model) {
  switch (model) {
    case kRegAiry: return "reg_airy";
    case kIregAiry: return "ireg_airy";
    case kDetAiry: return "det_airy";
    case kStrf: return "strf";
    case kWavemods: return "wavemods";
    default: return "";
  }
}

// The selected model needs its block; without it there is nothing to set up.
bool block_present(const LibraryState& state, bool present) {
  if (!present)
    write_message("*** ERROR *** Wavetype ", state.wave_model, " selects ",
                  model_name(state.wave_model), " but the input has no ",
                  model_name(state.wave_model), " block - wave model not set up");
  return present;
}

// The linear models need water: with h <= 0 the dispersion relation has no
// real root and every kinematic quantity would be NaN.
bool depth_positive(const LibraryState& state) {
  const bool positive = state.depth > 0.0;
  if (!positive)
    write_message("*** ERROR *** Water depth must be greater than 0 for ",
                  model_name(state.wave_model), " - wave model not set up. wdepth =", state.depth);
  return positive;
}

// A time or coordinate that is not a finite number (NaN from a broken host
// computation, say) places the query nowhere: it gets the still-water
// answer, elevation 0 and no motion, from every model alike.
bool is_finite_query(double t, double x, double y, double z) {
  return std::isfinite(t) && std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

}  // namespace

void initialise_library(LibraryState& state, std::string_view input_file, double t_start,
                        double t_end, double dt) {
  reset_library_state();
  state.pi = kPi;
  // A host written in Fortran passes its name blank-padded to the declared length.
  std::string name(input_file);
  name.erase(name.find_last_not_of(' ') + 1);
  read_input_file(state, name);
  set_up_selected_model(state, t_start, t_end, dt);
}

void set_up_selected_model(LibraryState& state, double t_start, double t_end, double dt) {
  state.model_ready = false;
  switch (state.wave_model) {
    case kRegAiry:
      if (!block_present(state, state.reg_airy != nullptr) || !depth_positive(state)) return;
      if (!reg_airy_init(*state.reg_airy, state.depth)) return;
      break;
    case kIregAiry:
      if (!block_present(state, state.ireg_airy != nullptr) || !depth_positive(state)) return;
      if (!ireg_airy_init(*state.ireg_airy, state, t_start, t_end, dt)) return;
      break;
    case kDetAiry:
      if (!block_present(state, state.det_airy != nullptr) || !depth_positive(state)) return;
      if (!det_airy_init(*state.det_airy, state, t_start, t_end)) return;
      break;
    case kStrf:
      if (!block_present(state, state.strf != nullptr) || !depth_positive(state)) return;
      if (!strf_init(*state.strf, state.depth)) return;
      break;
    case kWavemods:
      if (!block_present(state, state.wavemods != nullptr)) return;
      if (!wavemods_init(*state.wavemods)) return;
      break;
    default:
      return;  // a wave model number that selects nothing
  }
  state.model_ready = true;
}

void evaluate_elevation(LibraryState& state, const double* xy, double& eta) {
  state.position = {xy[0], xy[1], 0.0};
  if (!state.model_ready) return;
  if (!is_finite_query(state.time, xy[0], xy[1], 0.0)) {
    eta = 0.0;
    return;
  }
  switch (state.wave_model) {
    case kRegAiry: reg_airy_elevation(state.position.data(), *state.reg_airy, state, eta); break;
    case kIregAiry: linear_field_elevation(state.position.data(), *state.ireg_airy, state, eta); break;
    case kDetAiry: linear_field_elevation(state.position.data(), state.det_airy->field, state, eta); break;
    case kStrf: strf_elevation(state.position.data(), *state.strf, state, eta); break;
    case kWavemods: wavemods_elevation(*state.wavemods, state, eta); break;
    default: break;
  }
}

void evaluate_kinematics(LibraryState& state, const double* pos, double* vel, double* acc,
                         double& pdyn) {
  if (!state.model_ready) return;
  if (!is_finite_query(state.time, pos[0], pos[1], pos[2])) {
    for (int c = 0; c < 3; ++c) vel[c] = acc[c] = 0.0;
    pdyn = 0.0;
    return;
  }
  switch (state.wave_model) {
    case kRegAiry: reg_airy_kinematics(*state.reg_airy, state, pos, vel, acc, pdyn); break;
    case kIregAiry: linear_field_kinematics(*state.ireg_airy, state, pos, vel, acc, pdyn); break;
    case kDetAiry: linear_field_kinematics(state.det_airy->field, state, pos, vel, acc, pdyn); break;
    case kStrf: strf_kinematics(*state.strf, state, pos, vel, acc, pdyn); break;
    case kWavemods: wavemods_kinematics(*state.wavemods, state, pos, vel, acc, pdyn); break;
    default: break;
  }
}

}  // namespace pelm
