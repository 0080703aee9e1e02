#include <string>

#include "input/command_file.h"
#include "input/parameters.h"
#include "models/external/wavemods_model.h"
#include "runtime/console.h"

namespace pelm {

// Unlike the other blocks, a parameter that cannot be read costs only its
// command: read_real_params reports it, the field keeps its value and the
// block goes on.
void wavemods_input(CommandFile*& current, WavemodsModel& model) {
  bool file1_given = false;
  bool file2_given = false;
  bool nd_given = false;
  bool nt_given = false;
  std::string line;
  CommandLine command;
  double value = 0.0;
  const auto read = [&] { return read_real_params(command, 2, 1, &value); };

  for (;;) {
    next_command(current, line, command);
    const std::string& word = command.command();
    if (word == "datafile1") {
      if (!command.word(2).empty()) {
        model.file1 = command.word(2);
        file1_given = true;
      }
    } else if (word == "datafile2") {
      if (!command.word(2).empty()) {
        model.file2 = command.word(2);
        file2_given = true;
      }
    } else if (word == "datafile_nd") {
      if (read()) {
        model.nd = round_to_int32(value);
        nd_given = true;
      }
    } else if (word == "datafile_nt") {
      if (read()) {
        model.nt = round_to_int32(value);
        nt_given = true;
      }
    } else if (word == "datafile_t0") {
      if (read()) model.t0 = value;
    } else if (word == "datafile_depth") {
      if (read()) model.z_bottom = -value;
    } else if (word == "datafile1_ncol") {
      if (read()) model.ncol1 = truncate_to_int32(value);
    } else if (word == "datafile2_ncol") {
      if (read()) model.ncol2 = truncate_to_int32(value);
    } else if (word.empty()) {
      continue;
    } else if (word == "end" || is_end_of_input(command, *current)) {
      if (file1_given && file2_given && nd_given && nt_given)
        write_line("wavemods input commands read with succes");
      else
        write_line("*** ERROR *** Not all needed pelm_dll wavemods input commands present - error");
      break;
    } else {
      write_command_error(*current);
    }
  }
  write_message(" pelm_dll:wavemods_input:datafile1", model.file1, ":");
  write_message(" pelm_dll:wavemods_input:datafile2", model.file2, ":");
}

}  // namespace pelm
