#pragma once
// An output file that appears under its name only when it is complete.
//
// The rows go to a partial file beside the requested one (same folder, so
// the final rename stays on one file system) and are renamed onto the
// requested name when the run has finished. A run that stops early (a fatal
// stop of the library inside init, an interrupt, a kill) leaves the requested
// name holding the complete previous result, or nothing. The partial file is
// removed at process exit and on SIGINT, SIGTERM and SIGHUP; only a SIGKILL
// can leave it behind, under a name that no script mistakes for a result.

#include <fstream>
#include <string>

namespace pelm_driver {

class PartialOutput {
 public:
  // Creates the partial file for `target`; false with `error` set when it
  // cannot be written.
  bool open(const std::string& target, std::string& error);
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
