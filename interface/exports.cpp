// The four exported functions: thin, noexcept wrappers over the dispatch.
// No C++ exception ever reaches the host; what escapes the library's code is
// turned into a message line.

#include <exception>
#include <new>
#include <string_view>

#include "interface/library_state.h"
#include "interface/model_dispatch.h"
#include "interface/pelm_dll.h"
#include "runtime/console.h"

namespace {

void report_exception(const char* where) noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    pelm::write_message("*** ERROR *** Not enough memory in pelm_dll ", where);
  } catch (const std::exception& error) {
    pelm::write_message("*** ERROR *** Unexpected error in pelm_dll ", where, ": ", error.what());
  } catch (...) {
    pelm::write_message("*** ERROR *** Unexpected error in pelm_dll ", where);
  }
}

}  // namespace

extern "C" {

PELM_API void PELM_CALL init(const char* inputfile, int32_t inputfile_length,
                             const double* t_start, const double* t_end,
                             const double* dt) noexcept {
  try {
    const std::string_view name(inputfile ? inputfile : "",
                                inputfile && inputfile_length > 0
                                    ? static_cast<std::size_t>(inputfile_length) : 0);
    pelm::write_message("In pelm_dll init, inputfile: ", name);
    auto& state = pelm::library_state();
    const double zero = 0.0;
    pelm::initialise_library(state, name, *(t_start ? t_start : &zero),
                             *(t_end ? t_end : &zero), *(dt ? dt : &zero));
  } catch (...) {
    pelm::library_state().model_ready = false;
    report_exception("init");
  }
}

PELM_API void PELM_CALL set_new_time(const double* t) noexcept {
  if (t) pelm::library_state().time = *t;
}

PELM_API void PELM_CALL get_sea_elevation(const double* xy, double* eta) noexcept {
  if (xy && eta) pelm::evaluate_elevation(pelm::library_state(), xy, *eta);
}

PELM_API void PELM_CALL get_kinematics(const double* pos, double* vel, double* acc,
                                       double* pdyn) noexcept {
  if (pos && vel && acc && pdyn)
    pelm::evaluate_kinematics(pelm::library_state(), pos, vel, acc, *pdyn);
}

}  // extern "C"
