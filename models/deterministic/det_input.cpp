#include <array>
#include <memory>
#include <string>

#include "input/command_file.h"
#include "input/parameters.h"
#include "models/deterministic/det_model.h"
#include "runtime/console.h"

namespace pelm {
namespace {

void finish_det_block(bool file_given, bool count_given) {
  if (file_given && count_given)
    write_line("Pelm dll input commands read with succes");
  else
    write_line("*** ERROR *** Not all needed pelm_dll deterministic input commands present - error");
}

}  // namespace

void det_airy_input(CommandFile*& current, DetModel& model) {
  // The measured sea is summed directly unless the block asks for the grid.
  model.field.precompute = false;
  bool file_given = false;
  bool count_given = false;
  std::string line;
  CommandLine command;
  std::array<double, 2> v{};
  const auto read = [&](std::int32_t count) { return read_real_params(command, 2, count, v.data()); };

  for (;;) {
    next_command(current, line, command);
    const std::string& word = command.command();
    if (word == "file") {
      // A line without a name still counts: the set-up then reports the
      // blank name it cannot open.
      model.file_name = command.word(2);
      file_given = true;
    } else if (word == "nsamples") {
      if (!read(1)) return write_command_error(*current);
      model.sample_count = round_to_int32(v[0]);
      count_given = true;
    } else if (word == "nskip") {
      if (!read(1)) return write_command_error(*current);
      model.skip_lines = round_to_int32(v[0]);
    } else if (word == "columns") {
      if (!read(2)) return write_command_error(*current);
      model.time_column = round_to_int32(v[0]);
      model.elevation_column = round_to_int32(v[1]);
    } else if (word == "stretching") {
      if (!read(1)) return write_command_error(*current);
      const std::int32_t option = round_to_int32(v[0]);
      if (option == 0 || option == 1)
        model.field.stretching = option;
      else
        // Any other option has no stretched height for the kinematics.
        write_message("*** ERROR *** In det. airy input, stretching must be 0 or 1, not ", option,
                      " - command ignored");
    } else if (word == "cutoff_frac") {
      if (!read(1)) return write_command_error(*current);
      model.cutoff_fraction = v[0];
    } else if (word == "pregen") {
      if (!read(1)) return write_command_error(*current);
      model.field.precompute = round_to_int32(v[0]) == 1;
      if (model.field.precompute) {
        model.field.grid = std::make_unique<PregenGrid>();
        write_line("In Pelm_dll: Wave field will be precalculated");
      }
    } else if (word.empty()) {
      continue;
    } else if (word == "end" || is_end_of_input(command, *current)) {
      return finish_det_block(file_given, count_given);
    } else {
      write_command_error(*current);
    }
  }
}

}  // namespace pelm
