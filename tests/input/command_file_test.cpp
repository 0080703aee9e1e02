#include "input/command_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <string>
#include <vector>

#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"

namespace pelm {
namespace {

using Words = std::vector<std::string>;

Words words_of(const CommandLine& command) {
  return Words(command.words.begin(), command.words.begin() + command.word_count);
}

struct SplitCase {
  const char* name;
  std::string line;
  Words words;
  Words messages;
};

TEST(SplitCommandLine, WordsOfTheCommandPart) {
  const std::string word70(70, 'w');
  std::string words30, words25;
  for (int i = 1; i <= 30; ++i) words30 += "w" + std::to_string(i) + " ";
  for (int i = 1; i <= 25; ++i) words25 += "w" + std::to_string(i) + " ";
  Words first25;
  for (int i = 1; i <= 25; ++i) first25.push_back("w" + std::to_string(i));

  const std::vector<SplitCase> cases = {
      {"leading blanks and a remark", "  wave 1.5 10; the remark", {"wave", "1.5", "10"}, {}},
      {"tabs separate words", "wave\t1.5\t\t10\t;", {"wave", "1.5", "10"}, {}},
      {"leading tab is not removed but separates", "\twave 1.5;", {"wave", "1.5"}, {}},
      {"terminator only", ";", {}, {}},
      {"blanks, terminator and remark", "    ; only a remark", {}, {}},
      {"empty line", "", {}, {"*** ERROR *** No line termination in command line 7"}},
      {"blank line", "     ", {}, {"*** ERROR *** No line termination in command line 7"}},
      {"no terminator", "wave 1 2", {}, {"*** ERROR *** No line termination in command line 7"}},
      {"only the first command", "wdepth 30; wavetype 1;", {"wdepth", "30"}, {}},
      {"long word cut to 64", "file " + word70 + ";", {"file", std::string(64, 'w')}, {}},
      {"exactly 25 words", words25 + ";", first25, {}},
      {"30 words keep 25",
       words30 + ";",
       first25,
       {"More than 25 words in command. Exceeding words ignored. Line 7"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CommandFile file;
    file.line_number = 7;
    CommandFile* current = &file;
    CommandLine command;
    command.words[3] = "stale";
    command.word_count = 4;
    std::string line = c.line;
    ConsoleCapture capture;
    split_command_line(line, command, current);
    EXPECT_EQ(words_of(command), c.words);
    for (std::int32_t i = command.word_count; i < kMaxWords; ++i)
      EXPECT_TRUE(command.words[static_cast<std::size_t>(i)].empty());
    EXPECT_EQ(capture.lines(), c.messages);
    EXPECT_EQ(current, &file);
  }
}

TEST(CommandLine, WordBeyondTheCountIsBlank) {
  CommandLine command;
  command.words[0] = "wdepth";
  command.word_count = 1;
  EXPECT_EQ(command.word(1), "wdepth");
  EXPECT_EQ(command.word(2), "");
  EXPECT_EQ(command.word(0), "");
  EXPECT_EQ(command.word(26), "");
}

// Reads every command of a master file the way a block reader does, until
// the end-of-input exit, and returns the split words of each line.
std::vector<Words> read_all(const std::string& path, ConsoleCapture& capture, int max_lines = 100) {
  CommandFile master;
  master.name = path;
  master.unit = next_unit_number();
  EXPECT_TRUE(open_command_file(master));
  CommandFile* current = &master;
  std::vector<Words> commands;
  std::string line;
  CommandLine command;
  std::int32_t reset = -1;
  for (int n = 0; n < max_lines; ++n) {
    read_command_line(*current, line, reset);
    split_command_line(line, command, current);
    commands.push_back(words_of(command));
    if (is_end_of_input(command, *current)) break;
  }
  (void)capture;
  return commands;
}

TEST(ReadCommandLine, LowerCasesCountsEveryLineAndDeliversExitAtTheEnd) {
  TempFolder folder;
  const std::string path = folder.write("master.inp", "WaVe 2 10;\r\n\n  ;\nWDEPTH 3D1;");
  ConsoleCapture capture;
  const auto commands = read_all(path, capture);
  const std::vector<Words> expected = {
      {"wave", "2", "10"}, {}, {}, {"wdepth", "3d1"}, {"exit"}};
  EXPECT_EQ(commands, expected);
  EXPECT_EQ(capture.lines(),
            (Words{"*** ERROR *** No line termination in command line 2",
                   "*** INFO *** End of file reached. Line number 4 Masterfile name: " + path}));
}

// Bytes no input should hold still give words: a NUL is a character like
// any other, and a line of a megabyte is cut to its first 512 characters
// without the reader losing its place.
TEST(ReadCommandLine, NulBytesAndHugeLinesKeepTheReaderInStep) {
  TempFolder folder;
  const std::string text = std::string("wa\0ve 1;\n", 10) + std::string(1000000, 'x') + ";\nwdepth 3;\n";
  const std::string path = folder.write("master.inp", text);
  ConsoleCapture capture;
  const auto commands = read_all(path, capture);
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_EQ(commands[0], (Words{std::string("wa\0ve", 5), "1"}));
  EXPECT_EQ(commands[1], Words{});  // 512 x's, and the ";" cut off with the rest
  EXPECT_EQ(commands[2], (Words{"wdepth", "3"}));
  EXPECT_EQ(commands[3], Words{"exit"});
}

TEST(ReadCommandLine, EveryReadAfterTheEndGivesExitAgainWithoutAdvancing) {
  TempFolder folder;
  CommandFile file;
  file.name = folder.write("one.inp", "a;\n");
  ASSERT_TRUE(open_command_file(file));
  std::string line;
  std::int32_t reset = 0;
  ConsoleCapture capture;
  read_command_line(file, line, reset);
  EXPECT_EQ(line, "a;");
  for (int i = 0; i < 3; ++i) {
    read_command_line(file, line, reset);
    EXPECT_EQ(line, "exit ;");
    EXPECT_EQ(file.line_number, 1);
  }
  EXPECT_EQ(capture.lines().size(), 3u);
}

TEST(ReadCommandLine, ResetFlagRestartsTheLineCount) {
  TempFolder folder;
  CommandFile file;
  file.name = folder.write("two.inp", "a;\nb;\n");
  file.line_number = 41;
  ASSERT_TRUE(open_command_file(file));
  std::string line;
  std::int32_t reset = -1;
  read_command_line(file, line, reset);
  EXPECT_EQ(reset, 0);
  EXPECT_EQ(file.line_number, 1);
}

TEST(ReadCommandLine, KeepsTheFirst512Characters) {
  TempFolder folder;
  CommandFile file;
  file.name = folder.write("long.inp", std::string(600, 'X') + ";\n");
  ASSERT_TRUE(open_command_file(file));
  std::string line;
  std::int32_t reset = 0;
  read_command_line(file, line, reset);
  EXPECT_EQ(line, std::string(512, 'x'));
}

TEST(ContinueInFile, ReadingGoesOnInTheIncludedFileAndReturns) {
  TempFolder folder;
  // The included file ends without exit: its end of file returns.
  const std::string inner = folder.write("inner.inp", "wdepth 30;\n");
  const std::string middle =
      folder.write("middle.inp", "continue_in_file " + inner + ";\nwavetype 1;\nexit;\nignored;\n");
  const std::string master =
      folder.write("master.inp", "begin pelm_input;\nCONTINUE_IN_FILE " + middle + " extra;\nend;\n");
  ConsoleCapture capture;
  const std::int32_t unit_before = next_unit_number();
  const auto commands = read_all(master, capture);
  const std::vector<Words> expected = {
      {"begin", "pelm_input"}, {"wdepth", "30"}, {"wavetype", "1"}, {"end"}, {"exit"}};
  EXPECT_EQ(commands, expected);
  // master took unit_before + 1, middle + 2, inner + 3: the next one is + 4.
  EXPECT_EQ(next_unit_number(), unit_before + 4);
  const Words messages = {
      "Main input file is continued in file :" + middle,
      "Main input file is continued in file :" + inner,
      "*** INFO *** End of file reached. Line number 1 Masterfile name: " + inner,
      "Main input file is returned to :" + middle,
      "Main input file is returned to :" + master,
      "*** INFO *** End of file reached. Line number 3 Masterfile name: " + master,
  };
  EXPECT_EQ(capture.lines(), messages);
}

TEST(ContinueInFile, UpperCaseNameOpensTheLowerCaseFile) {
  TempFolder folder;
  const std::string inner = folder.write("inc.inp", "wave 1 2;\nexit;\n");
  std::string upper = inner;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string master = folder.write("m.inp", "continue_in_file " + upper + ";\nend;\n");
  ConsoleCapture capture;
  const auto commands = read_all(master, capture);
  EXPECT_EQ(commands.front(), (Words{"wave", "1", "2"}));
}

// Reads every command of `master` until its end, in a process expected to stop.
void read_to_the_end(const std::string& master) {
  route_console_to_stderr();
  CommandFile file;
  file.name = master;
  if (!open_command_file(file)) std::exit(3);
  CommandFile* current = &file;
  std::string line;
  CommandLine command;
  do next_command(current, line, command);
  while (!is_end_of_input(command, *current));
  std::exit(0);
}

TEST(ContinueInFileDeathTest, MissingIncludedFileOrNameStopsTheProcess) {
  TempFolder folder;
  const std::string missing = folder.path("nowhere.inp");
  EXPECT_EXIT(read_to_the_end(folder.write("m.inp", "continue_in_file " + missing + ";\n")),
              ::testing::ExitedWithCode(1), "Error opening file: " + missing);
  EXPECT_EXIT(read_to_the_end(folder.write("n.inp", "continue_in_file;\n")),
              ::testing::ExitedWithCode(1), "Error opening file: \n");
}

// A file that includes itself, directly or through another, is named as a
// cycle; a folder is named as a folder.
TEST(ContinueInFileDeathTest, CyclesAndFoldersAreNamedWhenTheyStop) {
  TempFolder folder;
  const std::string self = folder.path("self.inp");
  folder.write("self.inp", "wdepth 1;\ncontinue_in_file " + self + ";\n");
  const std::string a = folder.path("a.inp"), b = folder.path("b.inp");
  folder.write("a.inp", "continue_in_file " + b + ";\n");
  folder.write("b.inp", "wave 1;\ncontinue_in_file " + a + ";\n");
  const std::string sub = folder.path("sub");
  std::filesystem::create_directory(sub);
  const std::string into_folder = folder.write("f.inp", "continue_in_file " + sub + ";\n");
  struct Case {
    std::string master;
    std::string message;
  };
  const std::vector<Case> cases = {
      {self, "Include cycle: " + self + " is already being read \\(continue_in_file in " + self +
                 " line 2\\)"},
      {a, "Include cycle: " + a + " is already being read \\(continue_in_file in " + b + " line 2\\)"},
      {into_folder, sub + " is a folder, not an input file\nError opening file: " + sub},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.master);
    EXPECT_EXIT(read_to_the_end(c.master), ::testing::ExitedWithCode(1), c.message);
  }
}

TEST(OpenCommandFile, DirectoriesAndMissingFilesAreNotOpened) {
  TempFolder folder;
  CommandFile directory;
  directory.name = folder.path("");
  EXPECT_FALSE(open_command_file(directory));
  CommandFile missing;
  missing.name = folder.path("absent.inp");
  EXPECT_FALSE(open_command_file(missing));
}

}  // namespace
}  // namespace pelm
