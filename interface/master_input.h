#pragma once
// The master input file: the block
//   begin pelm_input;
//     wavetype N;   wdepth H;   begin <model>; ... end;
//   end;
// which selects the wave model, gives the water depth and holds the blocks
// of the wave models.

#include <string>

#include "input/command_file.h"

namespace pelm {

struct LibraryState;

// Opens `name` as the master command file and reads every pelm_input block
// in it into `state`. Stops the process when the file cannot be opened.
void read_input_file(LibraryState& state, const std::string& name);

// Reads one pelm_input block, from the line after its begin to its end.
void read_pelm_input(LibraryState& state);

}  // namespace pelm
