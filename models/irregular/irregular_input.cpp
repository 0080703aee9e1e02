#include <array>
#include <memory>
#include <string>

#include "input/command_file.h"
#include "input/parameters.h"
#include "models/irregular/irregular_model.h"
#include "runtime/console.h"

namespace pelm {
namespace {

void finish_ireg_block(const IregModel& model, bool stretching_given, bool spectrum_given,
                       bool coef_given) {
  // White noise takes its component count from the host's window instead.
  const bool complete = stretching_given && spectrum_given && (coef_given || model.spectrum == 3);
  if (complete)
    write_line("Pelm dll input commands read with succes");
  else
    write_line("*** ERROR *** Not all needed pelm_dll ireg_airy input commands present - error");
}

}  // namespace

void ireg_airy_input(CommandFile*& current, IregModel& model) {
  bool stretching_given = false;
  bool spectrum_given = false;
  bool coef_given = false;
  std::string line;
  CommandLine command;
  std::array<double, 3> v{};
  const auto read = [&](std::int32_t count) { return read_real_params(command, 2, count, v.data()); };

  for (;;) {
    next_command(current, line, command);
    const std::string& word = command.command();
    if (word.empty()) continue;
    if (word == "end" || is_end_of_input(command, *current))
      return finish_ireg_block(model, stretching_given, spectrum_given, coef_given);

    if (word == "stretching") {
      if (!read(1)) return write_command_error(*current);
      const std::int32_t option = round_to_int32(v[0]);
      if (option == 0 || option == 1) {
        model.stretching = option;
        stretching_given = true;
      } else {
        // Any other option has no stretched height for the kinematics.
        write_message("*** ERROR *** In ireg. airy input, stretching must be 0 or 1, not ", option,
                      " - command ignored");
      }
    } else if (word == "spectrum") {
      if (!read(1)) return write_command_error(*current);
      model.spectrum = round_to_int32(v[0]);
      spectrum_given = true;
    } else if (word == "jonswap") {
      if (!read(3)) return write_command_error(*current);
      model.jonswap = std::array<double, 3>{v[0], v[1], v[2]};
    } else if (word == "pm") {
      if (!read(2)) return write_command_error(*current);
      model.pm = std::array<double, 2>{v[0], v[1]};
    } else if (word == "wn") {
      if (!read(2)) return write_command_error(*current);
      model.wn = std::array<double, 2>{v[0], v[1]};
    } else if (word == "coef") {
      if (!read(2)) return write_command_error(*current);
      model.component_count = round_to_int32(v[0]);
      model.seed = round_to_int32(v[1]);
      coef_given = true;
    } else if (word == "spreading") {
      if (!read(2)) return write_command_error(*current);
      model.spreading = round_to_int32(v[0]);
      model.spreading_exponent = round_to_int32(v[1]);
    } else if (word == "pregen") {
      if (!read(1)) return write_command_error(*current);
      model.precompute = round_to_int32(v[0]) == 1;
      if (model.precompute) {
        model.grid = std::make_unique<PregenGrid>();
        write_line("In Pelm_dll: Wave field will be precalculated");
      }
    } else if (word == "begin" && command.word(2) == "pregen_field") {
      if (!model.grid) model.grid = std::make_unique<PregenGrid>();
      pregen_field_input(current, *model.grid);
    } else {
      write_command_error(*current);
    }
  }
}

void pregen_field_input(CommandFile*& current, PregenGrid& grid) {
  std::string line;
  CommandLine command;
  std::array<double, 2> v{};
  for (;;) {
    next_command(current, line, command);
    const std::string& word = command.command();
    if (word.empty()) continue;
    if (word == "end" || is_end_of_input(command, *current)) {
      write_line("In Pelm_dll, wfield commands read with succes");
      return;
    }
    if (word == "z_resolution") {
      if (!read_real_params(command, 2, 1, v.data())) return write_command_error(*current);
      grid.nz = truncate_to_int32(v[0]);
    } else if (word == "y_resolution") {
      if (!read_real_params(command, 2, 2, v.data())) return write_command_error(*current);
      grid.ny = truncate_to_int32(v[0]);
      grid.dy = v[1];
      if (grid.ny % 2 == 0) {
        write_message("In pelm_dll: Ny in y-resolution of wavefield has to be an uneven number.",
                      grid.ny + 1, " is used instead of ", grid.ny);
        grid.ny += 1;
      }
    } else if (word == "t_resolution") {
      if (!read_real_params(command, 2, 1, v.data())) return write_command_error(*current);
      grid.dt_grid = v[0];
    } else if (word == "x_range") {
      if (!read_real_params(command, 2, 1, v.data())) return write_command_error(*current);
      grid.x_range = v[0];
    } else {
      write_command_error(*current);
    }
  }
}

}  // namespace pelm
