#include "runtime/numeric_errors.h"

#include <string>
#include <vector>

#include "runtime/console.h"
#include "runtime/fatal.h"

namespace pelm {
namespace {

// Innermost registration last. Process-wide, like every other state of the
// library: the host calls from one thread.
std::vector<std::string_view>& routine_names() {
  static std::vector<std::string_view> names;
  return names;
}

std::string_view type_name(NumericErrorType type) {
  switch (type) {
    case NumericErrorType::note:
      return "NOTE";
    case NumericErrorType::alert:
      return "ALERT";
    case NumericErrorType::warning:
      return "WARNING";
    case NumericErrorType::fatal:
      return "FATAL";
    case NumericErrorType::terminal:
      return "TERMINAL";
  }
  return "UNKNOWN";
}

void replace_all(std::string& text, std::string_view placeholder, std::string_view value) {
  for (auto at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + value.size()))
    text.replace(at, placeholder.size(), value);
}

}  // namespace

RoutineName::RoutineName(std::string_view name) { routine_names().push_back(name); }

RoutineName::~RoutineName() { routine_names().pop_back(); }

std::string numeric_error_line(NumericErrorType type, std::string_view message, std::int32_t i1,
                               std::int32_t i2, std::string_view l1) {
  std::string filled(message);
  replace_all(filled, "%(I1)", std::to_string(i1));
  replace_all(filled, "%(I2)", std::to_string(i2));
  replace_all(filled, "%(L1)", l1);

  const auto& names = routine_names();
  std::string line = "*** ";
  line += type_name(type);
  line += " ERROR from ";
  line += names.empty() ? std::string_view("an unnamed routine") : names.back();
  line += ".  ";
  line += filled;
  return line;
}

void report_numeric_error(NumericErrorType type, std::string_view message, std::int32_t i1,
                          std::int32_t i2, std::string_view l1) {
  write_line(numeric_error_line(type, message, i1, i2, l1));
}

void stop_with_numeric_error(NumericErrorType type, std::string_view message, std::int32_t i1,
                             std::int32_t i2, std::string_view l1) {
  fatal_stop(numeric_error_line(type, message, i1, i2, l1));
}

}  // namespace pelm
