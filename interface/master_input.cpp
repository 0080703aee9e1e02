#include "interface/master_input.h"

#include <array>
#include <memory>

#include "input/parameters.h"
#include "interface/library_state.h"
#include "runtime/console.h"
#include "runtime/fatal.h"

namespace pelm {
namespace {

// begin <model> inside pelm_input: a fresh record with the model's defaults
// replaces any earlier one, and the model's block reader fills it.
void read_model_block(LibraryState& state, const std::string& name) {
  CommandFile*& current = state.current_file;
  if (name == "reg_airy") {
    state.reg_airy = std::make_unique<RegModel>();
    reg_airy_input(current, *state.reg_airy);
  } else if (name == "ireg_airy") {
    state.ireg_airy = std::make_unique<IregModel>();
    ireg_airy_input(current, *state.ireg_airy);
  } else if (name == "wavemods") {
    state.wavemods = std::make_unique<WavemodsModel>();
    wavemods_input(current, *state.wavemods);
  } else if (name == "det_airy") {
    state.det_airy = std::make_unique<DetModel>();
    det_airy_input(current, *state.det_airy);
  } else if (name == "strf") {
    state.strf = std::make_unique<StrfModel>();
    strf_input(current, *state.strf);
  } else {
    write_command_error(*current);
  }
}

void finish_pelm_input(bool wavetype_given, bool depth_given) {
  if (wavetype_given && depth_given)
    write_line("Pelm dll input commands read with succes");
  else
    write_line("*** ERROR *** Not all needed pelm_dll input commands present - error");
}

}  // namespace

void read_pelm_input(LibraryState& state) {
  bool wavetype_given = false;
  bool depth_given = false;
  std::string line;
  CommandLine command;
  std::array<double, 1> value{};
  for (;;) {
    next_command(state.current_file, line, command);
    const std::string& word = command.command();
    if (word == "wavetype") {
      if (!read_real_params(command, 2, 1, value.data()))
        return write_command_error(*state.current_file);
      state.wave_model = round_to_int32(value[0]);
      wavetype_given = true;
    } else if (word == "wdepth") {
      if (!read_real_params(command, 2, 1, value.data()))
        return write_command_error(*state.current_file);
      state.depth = value[0];
      depth_given = true;
    } else if (word == "begin") {
      read_model_block(state, command.word(2));
    } else if (word.empty()) {
      continue;
    } else if (word == "end" || is_end_of_input(command, *state.current_file)) {
      return finish_pelm_input(wavetype_given, depth_given);
    } else {
      write_command_error(*state.current_file);
    }
  }
}

void read_input_file(LibraryState& state, const std::string& name) {
  state.master_file = std::make_unique<CommandFile>();
  state.master_file->name = name;
  state.master_file->unit = next_unit_number();
  state.current_file = state.master_file.get();
  if (!open_command_file(*state.master_file)) {
    MessageLine message;
    message.add("Error opening file: ").add(name);
    fatal_stop(message.text());
  }

  std::string line;
  CommandLine command;
  std::int32_t reset_flag = -1;
  for (;;) {
    read_command_line(*state.current_file, line, reset_flag);
    split_command_line(line, command, state.current_file);
    const std::string& word = command.command();
    if (word == "begin") {
      if (command.word(2) == "pelm_input")
        read_pelm_input(state);
      else if (!command.word(2).empty())
        write_command_error(*state.current_file);
    } else if (word.empty()) {
      continue;
    } else if (word == "exit") {
      state.current_file->stream.close();
      return;
    } else {
      write_message("Command line ignored. Line number: ", state.current_file->line_number,
                    " Masterfile name: ", state.current_file->name);
    }
  }
}

}  // namespace pelm
