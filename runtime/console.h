#pragma once
// Console message lines.
//
// Every message of the library is one line, written item by item in free
// format: texts exactly as given (leading and trailing blanks included),
// integers in decimal and reals in their shortest round-trip decimal form.
// A number is set off from a neighbouring text by one blank when the text
// does not already supply it, so "Line number" and 12 read "Line number 12".
//
// All lines go through one sink so that tests can capture them; by default
// the sink writes to standard output and flushes, so that the lines keep
// their place among the host's own output.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pelm {

class MessageLine {
 public:
  MessageLine& add(std::string_view text);
  MessageLine& add(std::int32_t value);
  MessageLine& add(double value);
  const std::string& text() const { return text_; }

 private:
  void separate_number();
  std::string text_;
  bool ends_with_number_ = false;
};

using ConsoleSink = std::function<void(std::string_view line)>;

// Installs a sink and returns the previous one; an empty sink restores
// standard output.
ConsoleSink set_console_sink(ConsoleSink sink);

void write_line(std::string_view line);

// write_message("Line ", 12, " of ", name) assembles and writes one line.
template <typename... Items>
void write_message(const Items&... items) {
  MessageLine line;
  (line.add(items), ...);
  write_line(line.text());
}

// Shortest round-trip decimal form of a double ("0.1", "1e-07", "-3").
std::string format_real(double value);

}  // namespace pelm
