#include "input/data_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"

namespace pelm {
namespace {

struct ReadCase {
  const char* name;
  std::string text;
  std::int64_t skip;
  std::vector<std::size_t> reads;  // values per read
  std::vector<double> expected;    // all values read, in order
  std::int64_t last_line;          // line number after the reads
};

TEST(DataFile, FreeFormatReads) {
  const std::vector<ReadCase> cases = {
      {"one record per line", "0 1.5\n0.1 -2\n", 0, {2, 2}, {0, 1.5, 0.1, -2}, 2},
      {"commas, tabs and CR line ends", "1,2\t3\r\n4 , 5,6\r\n", 0, {3, 3}, {1, 2, 3, 4, 5, 6}, 2},
      {"a record wraps over lines", "1\n2 3\n4\n", 0, {3, 1}, {1, 2, 3, 4}, 3},
      {"values left on the last line are skipped", "1 2 3 99\n4 5\n", 0, {3, 2}, {1, 2, 3, 4, 5}, 2},
      {"blank lines are passed over inside a read", "\n\n1\n\n2\n", 0, {2}, {1, 2}, 5},
      {"header lines skipped whatever they hold", "head\x01 er\nnot, numbers\n7 8\n", 2, {2}, {7, 8}, 3},
      {"negative skip skips nothing", "7 8\n", -3, {2}, {7, 8}, 1},
      {"d and upper-case exponents", "1.5D2 2d-1 3E1\n", 0, {3}, {150, 0.2, 30}, 1},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    DataFile file;
    ASSERT_TRUE(file.open(folder.write("data.txt", c.text)));
    file.skip_lines(c.skip, "header");
    std::vector<double> values;
    for (std::size_t n : c.reads) {
      std::vector<double> record(n);
      file.read_values(n, record.data(), "record");
      values.insert(values.end(), record.begin(), record.end());
    }
    EXPECT_EQ(values, c.expected);
    EXPECT_EQ(file.line_number(), c.last_line);
  }
}

TEST(DataFile, OpenRefusesMissingFilesAndFolders) {
  TempFolder folder;
  DataFile file;
  EXPECT_FALSE(file.open(folder.path("absent.txt")));
  EXPECT_FALSE(file.open(folder.path("")));
}

struct FailureCase {
  const char* name;
  std::string text;
  std::int64_t skip;
  std::size_t count;
  const char* message;  // regex of the stop line
};

TEST(DataFileDeathTest, UnreadableDataStopsWithFileAndLine) {
  const std::vector<FailureCase> cases = {
      {"file ends inside a record", "1 2\n3\n", 0, 4,
       "Error reading sample 7 from file .*data.txt line 2: the file ends before"},
      {"file ends in the header", "a\n", 3, 1, "Error reading header from file .*data.txt line 1: the file ends"},
      {"a word that is not a number", "1 2\n3 x4 5\n", 0, 4,
       "Error reading sample 7 from file .*data.txt line 2: \"x4\" is not a number"},
      {"not finite", "1 inf\n", 0, 2, "line 1: \"inf\" is not a number"},
      {"a NUL byte", std::string("1 2\0 3\n", 7), 0, 3, "line 1: \"2\\?\" is not a number"},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string path = folder.write("data.txt", c.text);
    EXPECT_EXIT(
        {
          route_console_to_stderr();
          DataFile file;
          if (file.open(path)) {
            file.skip_lines(c.skip, "header");
            std::vector<double> values(c.count);
            file.read_values(c.count, values.data(), "sample 7");
          }
        },
        ::testing::ExitedWithCode(1), std::string("^\\*\\*\\* ERROR \\*\\*\\* .*") + c.message);
  }
}

}  // namespace
}  // namespace pelm
