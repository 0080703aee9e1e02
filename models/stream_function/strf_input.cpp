#include <array>
#include <string>

#include "input/command_file.h"
#include "input/parameters.h"
#include "models/stream_function/strf_model.h"
#include "runtime/console.h"

namespace pelm {
namespace {

void finish_block(bool wave_given) {
  // The success text is the one the regular block prints; kept as users know it.
  if (wave_given)
    write_line("Reg. airy input commands read with succes");
  else
    write_line("*** ERROR *** Not all needed pelm_dll stream_func input commands present - error");
}

}  // namespace

void strf_input(CommandFile*& current, StrfModel& model) {
  std::string line;
  bool wave_given = false;
  CommandLine command;
  std::array<double, 3> values{};
  for (;;) {
    next_command(current, line, command);
    const std::string& word = command.command();
    if (word == "wave") {
      if (!read_real_params(command, 2, 3, values.data())) return write_command_error(*current);
      model.H = values[0];
      model.U = values[2];
      if (values[1] > 0.0)
        model.T = values[1];
      else
        write_line("*** ERROR *** In strf. airy input, T less or equal to 0.d0");
      wave_given = true;
    } else if (word.empty()) {
      continue;
    } else if (word == "end" || is_end_of_input(command, *current)) {
      return finish_block(wave_given);
    } else {
      write_command_error(*current);
    }
  }
}

}  // namespace pelm
