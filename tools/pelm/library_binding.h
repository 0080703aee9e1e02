#pragma once
// How the driver reaches the library: only through the four exports of
// pelm_dll.h, as a simulation host does. On Windows the DLL is loaded by name
// and the functions are looked up by their plain export names; elsewhere the
// driver is linked against the shared library.

#include <string>

#include "pelm_dll.h"

namespace pelm_driver {

struct PelmLibrary {
  void(PELM_CALL* init)(const char*, int32_t, const double*, const double*, const double*);
  void(PELM_CALL* set_new_time)(const double*);
  void(PELM_CALL* get_sea_elevation)(const double*, double*);
  void(PELM_CALL* get_kinematics)(const double*, double*, double*, double*);
};

// Binds the four functions; false with a reason in `error` when it cannot.
bool bind_pelm_library(PelmLibrary& library, std::string& error);

}  // namespace pelm_driver
