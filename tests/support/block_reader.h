#pragma once
// Runs a model block reader over a block body (the lines after its begin
// line) followed by a line "after;", and reports what it left behind.

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
};

template <typename Model, typename Reader>
BlockRead<Model> read_block_body(const std::string& body, Reader reader) {
  TempFolder folder;
  CommandFile file;
  file.name = folder.write("block.inp", body + "after;\n");
  EXPECT_TRUE(open_command_file(file));
  CommandFile* current = &file;
  BlockRead<Model> result;
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

}  // namespace pelm
