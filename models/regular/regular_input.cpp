#include <array>

#include "input/command_file.h"
#include "input/parameters.h"
#include "models/regular/regular_model.h"
#include "numerics/constants.h"
#include "runtime/console.h"

namespace pelm {
namespace {

void finish_block(bool stretching_given, bool wave_given) {
  if (stretching_given && wave_given)
    write_line("Reg. airy input commands read with succes");
  else
    write_line("*** ERROR *** Not all needed pelm_dll reg_airy input commands present - error");
}

}  // namespace

void reg_airy_input(CommandFile*& current, RegModel& model) {
  std::string line;
  bool stretching_given = false;
  bool wave_given = false;
  CommandLine command;
  std::array<double, 2> values{};
  for (;;) {
    next_command(current, line, command);
    const std::string& word = command.command();
    if (word == "stretching") {
      if (!read_real_params(command, 2, 1, values.data())) return write_command_error(*current);
      model.stretching = round_to_int32(values[0]);
      stretching_given = true;
    } else if (word == "wave") {
      if (!read_real_params(command, 2, 2, values.data())) return write_command_error(*current);
      model.height = values[0];
      model.amplitude = 0.5 * values[0];
      if (values[1] > 0.0)
        model.omega = kPi * 2.0 / values[1];
      else
        write_line("*** ERROR *** In reg. airy input, T less or equal to 0.d0");
      wave_given = true;
    } else if (word.empty()) {
      continue;
    } else if (word == "end" || is_end_of_input(command, *current)) {
      return finish_block(stretching_given, wave_given);
    } else {
      write_command_error(*current);
    }
  }
}

}  // namespace pelm
