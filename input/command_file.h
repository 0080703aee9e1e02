#pragma once
// The command language of the input file, read line by line.
//
// A command is the text before the first ";" of a line, split into words at
// blanks and tabs; everything after the ";" is a remark. Lines are lower-cased
// (A-Z only) as they are read, so every word, file names included, is lower
// case. Two commands are carried out by the reader itself:
//   continue_in_file NAME;   reading continues in file NAME
//   exit;                    in an included file: back to the including file,
//                            at the line after its continue_in_file
// The end of a file reads as "exit ;", so an included file returns to its
// parent and the master file reports its end to the block being read.

#include <array>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace pelm {

inline constexpr std::size_t kLineLength = 512;  // characters kept of a line
inline constexpr std::size_t kWordLength = 64;   // characters kept of a word
inline constexpr std::int32_t kMaxWords = 25;    // words kept of a command

// One open command file. Files form a chain from the master file to the file
// being read; each holds the file it included while that one is read.
struct CommandFile {
  std::string name;              // as given, without trailing blanks
  std::int32_t unit = 0;         // unit number of the open file
  std::int32_t line_number = 0;  // physical lines read from this file so far
  std::unique_ptr<CommandFile> child;
  CommandFile* parent = nullptr;
  std::int32_t depth = 0;  // 0 for the master file
  std::ifstream stream;
  bool at_end = false;  // the end of the file has been read
};

// One split command: at most 25 words of at most 64 characters.
struct CommandLine {
  std::array<std::string, kMaxWords> words;
  std::int32_t word_count = 0;

  // Word `i`, counted from 1 as in the command ("wave 2 10": word(2) == "2");
  // blank (empty) beyond the words stored.
  const std::string& word(std::int32_t i) const;
  const std::string& command() const { return words[0]; }
};

// Hands out the next file unit number: 11 for the first file opened in the
// process, then 12, 13, ... Numbers are never reused.
std::int32_t next_unit_number();

// Opens `file.name` for reading; false when it is not an existing, readable
// regular file.
bool open_command_file(CommandFile& file);

// Reads the next line of `file` into `line` (at most 512 characters, lower
// case). A reset flag of -1 first sets the file's line number to 0 and the
// flag to 0. At the end of the file the line becomes "exit ;" and an INFO line
// is written, on this and every later read.
void read_command_line(CommandFile& file, std::string& line, std::int32_t& reset_flag);

// Splits `line` into `command`. Follows continue_in_file and the exit of an
// included file by itself, replacing `current` and `line` by the file and
// line that were finally split. An included file that cannot be opened stops
// the process.
void split_command_line(std::string& line, CommandLine& command, CommandFile*& current);

// The loop step of every block reader: read and split the next command.
void next_command(CommandFile*& current, std::string& line, CommandLine& command);

// True when `command` is the "exit" delivered at the end of the master file:
// a block that meets it ends there instead of waiting for its "end" line.
bool is_end_of_input(const CommandLine& command, const CommandFile& current);

}  // namespace pelm
