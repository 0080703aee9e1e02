#include "partial_output.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace pelm_driver {
namespace {

// The path removed at exit or on a signal. A fixed buffer, because a signal
// handler may only read plain memory; one output per process.
char g_partial_path[4096] = "";

void remove_partial() {
  if (g_partial_path[0] != '\0') std::remove(g_partial_path);
}

extern "C" void remove_partial_on_signal(int signal_number) {
  remove_partial();
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void install_cleanup() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(remove_partial);
  for (int signal_number : {SIGINT, SIGTERM
#ifdef SIGHUP
                            , SIGHUP
#endif
       })
    std::signal(signal_number, remove_partial_on_signal);
}

}  // namespace

bool PartialOutput::open(const std::string& target, std::string& error) {
  namespace fs = std::filesystem;
  target_ = target;
  const fs::path path(target);
  const std::string tag = std::to_string(std::random_device{}());
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about
  // the operator+ chain.
  std::string leaf = ".";
  leaf += path.filename().string();
  leaf += ".partial-";
  leaf += tag;
  partial_ = (path.parent_path() / leaf).string();
  if (partial_.size() >= sizeof g_partial_path) {
    error = "output path too long: " + target;
    return false;
  }
  // Proves the folder writable now, before a long set-up, and closes the
  // file again: Windows cannot remove a file that is open, so it stays
  // closed through init, where a fatal stop of the library may end the process.
  std::ofstream probe(partial_, std::ios::binary);
  const bool writable = static_cast<bool>(probe);
  probe.close();
  std::remove(partial_.c_str());
  if (!writable) {
    error = "cannot write " + target;
    return false;
  }
  return true;
}

bool PartialOutput::start(std::string& error) {
  std::strcpy(g_partial_path, partial_.c_str());
  install_cleanup();
  stream_.open(partial_, std::ios::binary);
  if (!stream_) {
    g_partial_path[0] = '\0';
    error = "cannot write " + target_;
    return false;
  }
  return true;
}

bool PartialOutput::commit(std::string& error) {
  stream_.close();
  if (!stream_) {
    error = "error while writing " + target_;
    return false;
  }
  std::error_code code;
  std::filesystem::rename(partial_, target_, code);
  if (code) {
    // Some file systems refuse to rename onto an existing file.
    std::error_code ignored;
    std::filesystem::remove(target_, ignored);
    std::filesystem::rename(partial_, target_, code);
  }
  if (code) {
    error = "cannot rename the finished output onto " + target_ + ": " + code.message();
    return false;
  }
  committed_ = true;
  g_partial_path[0] = '\0';
  return true;
}

PartialOutput::~PartialOutput() {
  if (!committed_ && !partial_.empty()) {
    stream_.close();
    std::error_code ignored;
    std::filesystem::remove(partial_, ignored);
    g_partial_path[0] = '\0';
  }
}

}  // namespace pelm_driver
