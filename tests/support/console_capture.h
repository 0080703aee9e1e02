#pragma once
// Captures the library's console lines for the duration of a test.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/console.h"

namespace pelm {

class ConsoleCapture {
 public:
  ConsoleCapture()
      : previous_(set_console_sink([this](std::string_view line) { lines_.emplace_back(line); })) {}
  ~ConsoleCapture() { set_console_sink(previous_); }
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  const std::vector<std::string>& lines() const { return lines_; }
  void clear() { lines_.clear(); }
  bool contains(std::string_view line) const {
    for (const auto& l : lines_)
      if (l == line) return true;
    return false;
  }

 private:
  std::vector<std::string> lines_;
  ConsoleSink previous_;
};

// Death tests match on standard error: send the console there inside the
// statement that is expected to stop the process.
inline void route_console_to_stderr() {
  set_console_sink([](std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
  });
}

}  // namespace pelm
