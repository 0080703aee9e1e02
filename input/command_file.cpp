#include "input/command_file.h"

#include <algorithm>
#include <string>

#include "runtime/console.h"
#include "runtime/fatal.h"
#include "runtime/platform.h"

namespace pelm {
namespace {

const std::string kBlank;

bool is_word_separator(char c) { return c == ' ' || c == '\t'; }

void to_lower_case(std::string& text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

[[noreturn]] void stop_unopenable(const std::string& name) {
  MessageLine message;
  message.add("Error opening file: ").add(name);
  fatal_stop(message.text());
}

// A file that includes itself, directly or through others, would be read
// without end (until the process runs out of open files): stop and say so.
void refuse_include_cycle(const std::string& name, const CommandFile& current) {
  for (const CommandFile* file = &current; file != nullptr; file = file->parent) {
    if (!same_file(name, file->name)) continue;
    fatal_stop("*** ERROR *** Include cycle: " + name + " is already being read (continue_in_file in " +
               current.name + " line " + std::to_string(current.line_number) +
               ") - it would include itself without end");
  }
}

// Enters the file named by a continue_in_file command.
void enter_included_file(const CommandLine& command, CommandFile*& current) {
  write_message("Main input file is continued in file :", command.word(2));
  refuse_include_cycle(command.word(2), *current);
  if (is_directory(command.word(2)))
    write_message("*** ERROR *** ", command.word(2), " is a folder, not an input file");
  auto child = std::make_unique<CommandFile>();
  child->name = command.word(2);
  child->parent = current;
  child->depth = current->depth + 1;
  current->child = std::move(child);
  current = current->child.get();
  current->unit = next_unit_number();
  if (!open_command_file(*current)) stop_unopenable(current->name);
}

// Leaves an included file at its exit, back to the including file.
void return_to_parent(CommandFile*& current) {
  CommandFile* parent = current->parent;
  write_message("Main input file is returned to :", parent->name);
  current->stream.close();
  current = parent;
  current->child.reset();
}

}  // namespace

const std::string& CommandLine::word(std::int32_t i) const {
  if (i < 1 || i > word_count) return kBlank;
  return words[static_cast<std::size_t>(i - 1)];
}

std::int32_t next_unit_number() {
  static std::int32_t last_unit = 10;
  return ++last_unit;
}

bool open_command_file(CommandFile& file) {
  if (!regular_file_exists(file.name)) return false;
  // Binary mode: the reader sees the same bytes on every platform and drops a
  // carriage return before the line end itself.
  file.stream.open(file.name, std::ios::in | std::ios::binary);
  file.at_end = false;
  return file.stream.is_open();
}

void read_command_line(CommandFile& file, std::string& line, std::int32_t& reset_flag) {
  if (reset_flag == -1) {
    file.line_number = 0;
    reset_flag = 0;
  }
  if (!file.at_end && std::getline(file.stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kLineLength) line.resize(kLineLength);
    ++file.line_number;
    to_lower_case(line);
    return;
  }
  file.at_end = true;
  write_message("*** INFO *** End of file reached. Line number", file.line_number,
                " Masterfile name: ", file.name);
  line = "exit ;";
}

void split_command_line(std::string& line, CommandLine& command, CommandFile*& current) {
  for (;;) {
    command.words.fill(std::string());
    command.word_count = 0;

    const std::size_t start = std::min(line.find_first_not_of(' '), line.size());
    const std::size_t end = line.find(';', start);
    if (end == std::string::npos) {
      write_message("*** ERROR *** No line termination in command line ", current->line_number);
      return;
    }
    bool overflow_reported = false;
    std::size_t pos = start;
    while (pos < end) {
      while (pos < end && is_word_separator(line[pos])) ++pos;
      if (pos == end) break;
      std::size_t word_end = pos;
      while (word_end < end && !is_word_separator(line[word_end])) ++word_end;
      if (command.word_count < kMaxWords) {
        command.words[static_cast<std::size_t>(command.word_count++)] =
            line.substr(pos, std::min(word_end - pos, kWordLength));
      } else if (!overflow_reported) {
        write_message("More than ", kMaxWords, " words in command. Exceeding words ignored. Line ",
                      current->line_number);
        overflow_reported = true;
      }
      pos = word_end;
    }

    std::int32_t no_reset = 0;
    if (command.command() == "continue_in_file") {
      enter_included_file(command, current);
      read_command_line(*current, line, no_reset);
    } else if (command.command() == "exit" && current->depth > 0) {
      return_to_parent(current);
      read_command_line(*current, line, no_reset);
    } else {
      return;
    }
  }
}

void next_command(CommandFile*& current, std::string& line, CommandLine& command) {
  std::int32_t no_reset = 0;
  read_command_line(*current, line, no_reset);
  split_command_line(line, command, current);
}

bool is_end_of_input(const CommandLine& command, const CommandFile& current) {
  return current.at_end && command.command() == "exit";
}

}  // namespace pelm
