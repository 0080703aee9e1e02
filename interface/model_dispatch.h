#pragma once
// The library's four operations on LibraryState, behind the exports. Each
// switches once on the selected wave model.

#include <cstdint>
#include <string_view>

namespace pelm {

struct LibraryState;

// Reads the input file and sets up the selected model. A second call starts
// again from the load values: the earlier set-up is discarded (the random
// stream and the file unit counter continue, being process-wide).
void initialise_library(LibraryState& state, std::string_view input_file, double t_start,
                        double t_end, double dt);

// Sets up the model that state.wave_model selects, or reports why it cannot.
void set_up_selected_model(LibraryState& state, double t_start, double t_end, double dt);

void evaluate_elevation(LibraryState& state, const double* xy, double& eta);

void evaluate_kinematics(LibraryState& state, const double* pos, double* vel, double* acc,
                         double& pdyn);

}  // namespace pelm
