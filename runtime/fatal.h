#pragma once
// The one way the library stops the process.
//
// The host has no error return to look at, so a condition the library cannot
// go on from (an input file that cannot be opened, a terminal error of a
// numerical routine) writes its message line and ends the process with exit
// status 1. Death tests exercise this routine.

#include <string_view>

namespace pelm {

[[noreturn]] void fatal_stop(std::string_view message);

}  // namespace pelm
