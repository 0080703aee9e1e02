#include "runtime/platform.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace pelm {

bool regular_file_exists(const std::string& name) {
  if (name.empty()) return false;
  std::error_code error;
  const auto status = std::filesystem::status(name, error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

bool is_directory(const std::string& name) {
  if (name.empty()) return false;
  std::error_code error;
  return std::filesystem::is_directory(name, error) && !error;
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  const bool same = std::filesystem::equivalent(a, b, error);
  return same && !error;
}

TimeOfDay local_time_of_day() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return TimeOfDay{local.tm_hour, local.tm_min, local.tm_sec};
}

void pause_for_operator() {
#if defined(_WIN32)
  const bool console = _isatty(_fileno(stdin)) != 0;
#else
  const bool console = isatty(fileno(stdin)) != 0;
#endif
  if (!console) return;
  for (int c = std::getchar(); c != '\n' && c != EOF; c = std::getchar()) {
  }
}

}  // namespace pelm
