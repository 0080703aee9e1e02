#pragma once
// The few services the library needs from the operating system, kept here so
// that the Windows build changes nothing else.

#include <string>

namespace pelm {

// True when `name` is an existing file that is not a directory.
bool regular_file_exists(const std::string& name);

// True when `name` is an existing directory.
bool is_directory(const std::string& name);

// True when both names reach the same existing file (links and different
// spellings of one path included).
bool same_file(const std::string& a, const std::string& b);

struct TimeOfDay {
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59 (fractions are dropped)
};

// The local time of day of the machine.
TimeOfDay local_time_of_day();

// Waits until the operator presses Enter, when standard input is an
// interactive console; returns at once otherwise (a host run from a batch
// job, a pipe or a file), so that a pause never blocks an unattended run.
void pause_for_operator();

}  // namespace pelm
