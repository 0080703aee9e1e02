#include "input/data_file.h"


#include "input/parameters.h"
#include "runtime/fatal.h"
#include "runtime/platform.h"

namespace pelm {
namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r'; }

// The word as the message shows it: at most 64 characters, control bytes
// (a NUL of a damaged file, say) as '?', so the line stays one readable line.
std::string quoted(const std::string& word) {
  std::string shown = "\"";
  for (std::size_t i = 0; i < word.size() && i < 64; ++i)
    shown += static_cast<unsigned char>(word[i]) < 32 ? '?' : word[i];
  if (word.size() > 64) shown += "...";
  return shown + "\"";
}

}  // namespace

bool DataFile::open(const std::string& name) {
  name_ = name;
  line_number_ = 0;
  if (!regular_file_exists(name)) return false;
  stream_.open(name, std::ios::binary);
  return stream_.is_open();
}

bool DataFile::next_line(std::string& line) {
  if (!std::getline(stream_, line)) return false;
  ++line_number_;
  return true;
}

void DataFile::stop(std::string_view what, std::string_view problem) const {
  std::string message = "*** ERROR *** Error reading ";
  message.append(what).append(" from file ").append(name_);
  message.append(" line ").append(std::to_string(line_number_)).append(": ").append(problem);
  fatal_stop(message);
}

void DataFile::skip_lines(std::int64_t count, std::string_view what) {
  std::string line;
  for (std::int64_t i = 0; i < count; ++i)
    if (!next_line(line)) stop(what, "the file ends");
}

void DataFile::read_values(std::size_t count, double* values, std::string_view what) {
  std::size_t filled = 0;
  std::string line, word;
  while (filled < count) {
    if (!next_line(line)) stop(what, "the file ends before all its values were read");
    std::size_t i = 0;
    while (filled < count) {
      while (i < line.size() && is_separator(line[i])) ++i;
      if (i == line.size()) break;
      const std::size_t start = i;
      while (i < line.size() && !is_separator(line[i])) ++i;
      word.assign(line, start, i - start);
      // The words of data files keep their case: "1.5D3" is a number too.
      for (char& c : word)
        if (c == 'E' || c == 'D') c = static_cast<char>(c - 'A' + 'a');
      if (!parse_real(word, values[filled])) stop(what, quoted(word) + " is not a number");
      ++filled;
    }
  }
}

}  // namespace pelm
