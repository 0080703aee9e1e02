#pragma once
// Runs a model block reader over a block body (the lines after its begin
// line) and reports what it left behind.

#include <string>
#include <vector>

#include "input/command_file.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"

namespace pelm {

template <typename Model>
struct BlockRead {
  Model model;
  std::vector<std::string> messages;
  std::string next;  // first word of the line read after the block reader returned
  std::string file;  // the file the body was read from
};

// The file holds `text` alone, so a body without its end line ends the file
// inside the block.
template <typename Model, typename Reader>
BlockRead<Model> read_block_file(const std::string& text, Reader reader) {
  TempFolder folder;
  CommandFile file;
  file.name = folder.write("block.inp", text);
  EXPECT_TRUE(open_command_file(file));
  CommandFile* current = &file;
  BlockRead<Model> result;
  result.file = file.name;
  {
    ConsoleCapture capture;
    reader(current, result.model);
    result.messages = capture.lines();
  }
  std::string line;
  CommandLine command;
  ConsoleCapture quiet;
  next_command(current, line, command);
  result.next = command.command();
  return result;
}

// The body followed by a line "after;", to see where the reader stopped.
template <typename Model, typename Reader>
BlockRead<Model> read_block_body(const std::string& body, Reader reader) {
  return read_block_file<Model>(body + "after;\n", reader);
}

}  // namespace pelm
