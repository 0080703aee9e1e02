#include "runtime/fatal.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/console.h"

namespace pelm {
namespace {

FatalHandler g_fatal_handler = nullptr;

}  // namespace

void fatal_stop(std::string_view message) {
  write_line(message);
  std::fflush(nullptr);
  if (g_fatal_handler != nullptr) g_fatal_handler(message);
  std::exit(EXIT_FAILURE);
}

void fatal_stop(std::string_view own_message, std::string_view error) {
  write_line(own_message);
  fatal_stop(error);
}

FatalHandler set_fatal_handler(FatalHandler handler) {
  const FatalHandler previous = g_fatal_handler;
  g_fatal_handler = handler;
  return previous;
}

}  // namespace pelm
