// "pelm plot": the figures come from a Python script (pelm_plot.py, beside
// this file) that drives the library through the Python package, as a user's
// own script would. The driver only finds python3, tells the script where the
// built library and the driver are, and hands over its arguments.
//
// The paths are those of the build (configured into the driver); the
// Windows driver has no Python to lean on and says so.

#include "plot_command.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace pelm_driver {
namespace {

void complain(const std::string& message) { std::fprintf(stderr, "pelm: %s\n", message.c_str()); }

constexpr const char* kNeedsPython =
    "pelm plot needs python3 with NumPy and Matplotlib (Debian: python3-numpy python3-matplotlib)";

}  // namespace

#if defined(_WIN32)

int plot_command(const std::vector<std::string>& /*args*/) {
  complain(std::string(kNeedsPython) + "; on Windows run tools/pelm/pelm_plot.py with python3 yourself");
  return 2;
}

#else

int plot_command(const std::vector<std::string>& args) {
  std::error_code code;
  std::string python = PELM_PLOT_PYTHON;
  if (python.empty() || !std::filesystem::exists(python, code)) python = "python3";
  const std::string script = PELM_PLOT_SCRIPT;
  if (!std::filesystem::is_regular_file(script, code)) {
    complain("the figure script is missing: " + script);
    return 2;
  }
  // The probe runs before the sanitizer runtimes are preloaded below: it
  // loads nothing of ours.
  const std::string probe = "'" + python + "' -c 'import numpy, matplotlib' > /dev/null 2>&1";
  if (std::system(probe.c_str()) != 0) {
    complain(kNeedsPython);
    return 2;
  }

  const auto self = std::filesystem::read_symlink("/proc/self/exe", code);
  if (!code) setenv("PELM_DRIVER", self.c_str(), 1);
  setenv("PELM_DLL_LIBRARY", PELM_PLOT_LIBRARY, 0);
  setenv("MPLBACKEND", "Agg", 1);
  setenv("PYTHONDONTWRITEBYTECODE", "1", 0);
  // An instrumented library inside an uninstrumented python: the sanitizer
  // runtimes must come first, and the interpreter's own allocations are not
  // ours to judge.
  const std::string preload = PELM_PLOT_PRELOAD;
  if (!preload.empty() && std::getenv("LD_PRELOAD") == nullptr) {
    setenv("LD_PRELOAD", preload.c_str(), 1);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 0);
  }

  std::vector<std::string> words = {python, script};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::fflush(nullptr);
  execvp(argv[0], argv.data());
  complain("cannot start " + python + ": " + std::system_category().message(errno));
  return 2;
}

#endif

}  // namespace pelm_driver
