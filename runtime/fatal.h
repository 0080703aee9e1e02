#pragma once
// The one way the library stops the process.
//
// The host has no error return to look at, so a condition the library cannot
// go on from (an input file that cannot be opened, a terminal error of a
// numerical routine) writes its message line and ends the process with exit
// status 1. Death tests exercise this routine.
//
// A harness that must survive the stop (a fuzzer feeding the library input
// after input) installs a handler, which is called after the message line
// instead of ending the process. The handler must not return: it unwinds by
// throwing, and the caller catches at its own entry into the library. Should
// a handler return after all, the process ends as without one.

#include <string_view>

namespace pelm {

[[noreturn]] void fatal_stop(std::string_view message);

// A routine whose own message has a fixed form of its own (a table row, a
// ratio) writes it first and stops with an "*** ERROR ***" line that says
// what happened.
[[noreturn]] void fatal_stop(std::string_view own_message, std::string_view error);

using FatalHandler = void (*)(std::string_view message);

// Installs `handler` (nullptr: end the process) and returns the previous one.
FatalHandler set_fatal_handler(FatalHandler handler);

}  // namespace pelm
