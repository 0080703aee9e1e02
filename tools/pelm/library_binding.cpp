#include "library_binding.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace pelm_driver {

#if defined(_WIN32)

namespace {

template <typename Function>
bool look_up(HMODULE module, const char* name, Function& function, std::string& error) {
  FARPROC address = GetProcAddress(module, name);
  if (address == nullptr) {
    error = std::string("pelm_dll.dll does not export ") + name;
    return false;
  }
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
  return true;
}

}  // namespace

bool bind_pelm_library(PelmLibrary& library, std::string& error) {
  HMODULE module = LoadLibraryA("pelm_dll.dll");
  if (module == nullptr) {
    error = "cannot load pelm_dll.dll (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return look_up(module, "init", library.init, error) &&
         look_up(module, "set_new_time", library.set_new_time, error) &&
         look_up(module, "get_sea_elevation", library.get_sea_elevation, error) &&
         look_up(module, "get_kinematics", library.get_kinematics, error);
}

#else

bool bind_pelm_library(PelmLibrary& library, std::string& /*error*/) {
  library = PelmLibrary{&init, &set_new_time, &get_sea_elevation, &get_kinematics};
  return true;
}

#endif

}  // namespace pelm_driver
