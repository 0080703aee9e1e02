#pragma once
// An output file that appears under its name only when it is complete.
//
// The rows go to a partial file beside the requested one (same folder, so
// the final rename stays on one file system) and are renamed onto the
// requested name when the run has finished. A run that stops early (a fatal
// stop of the library inside init, an interrupt, a kill) leaves the requested
// name holding the complete previous result, or nothing. The partial file is
// created only once the library is set up, and removed at process exit and
// on SIGINT, SIGTERM and SIGHUP; a SIGKILL (or, on Windows, where an open
// file cannot be removed, an interrupt) can leave it behind, under a name
// that no script mistakes for a result.

#include <fstream>
#include <string>

namespace pelm_driver {

class PartialOutput {
 public:
  // Chooses the partial file for `target` and checks that it can be written;
  // false with `error` set when it cannot.
  bool open(const std::string& target, std::string& error);
  // Creates the partial file for the rows; false with `error` set on failure.
  bool start(std::string& error);
  std::ofstream& stream() { return stream_; }
  // Closes the partial file and renames it onto the target; false with
  // `error` set when either fails (the partial file is removed then).
  bool commit(std::string& error);
  ~PartialOutput();

  const std::string& partial_path() const { return partial_; }

 private:
  std::string target_;
  std::string partial_;
  std::ofstream stream_;
  bool committed_ = false;
};

}  // namespace pelm_driver
