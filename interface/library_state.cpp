#include "interface/library_state.h"

namespace pelm {

LibraryState& library_state() {
  static LibraryState state;
  return state;
}

void reset_library_state() { library_state() = LibraryState(); }

}  // namespace pelm
