#include "runtime/fatal.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/console.h"

namespace pelm {

void fatal_stop(std::string_view message) {
  write_line(message);
  std::fflush(nullptr);
  std::exit(EXIT_FAILURE);
}

}  // namespace pelm
