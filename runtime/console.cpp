#include "runtime/console.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <utility>

namespace pelm {
namespace {

ConsoleSink& sink() {
  static ConsoleSink current;
  return current;
}

}  // namespace

std::string format_real(double value) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

void MessageLine::separate_number() {
  if (!text_.empty() && text_.back() != ' ') text_ += ' ';
}

MessageLine& MessageLine::add(std::string_view text) {
  if (ends_with_number_ && !text.empty() && text.front() != ' ') text_ += ' ';
  text_ += text;
  ends_with_number_ = false;
  return *this;
}

MessageLine& MessageLine::add(std::int32_t value) {
  separate_number();
  text_ += std::to_string(value);
  ends_with_number_ = true;
  return *this;
}

MessageLine& MessageLine::add(double value) {
  separate_number();
  text_ += format_real(value);
  ends_with_number_ = true;
  return *this;
}

ConsoleSink set_console_sink(ConsoleSink new_sink) {
  return std::exchange(sink(), std::move(new_sink));
}

void write_line(std::string_view line) {
  if (sink()) {
    sink()(line);
    return;
  }
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace pelm
