// The data files of the models that read them, with the model's block: one
// fuzz input holds the block's commands and the files' texts, separated by
// lines "@@@@". The harness writes them as files of its own and runs the
// whole init path on a master input that selects the model:
//
//   wavemods:  block @@@@ datafile1 @@@@ datafile2   (named d1.dat, d2.dat)
//   det_airy:  block @@@@ record                     (named record.dat)
//
// The first line of the input names the model ("wavemods" or "det_airy"),
// so one harness serves both; the seeds start with the bundled examples.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_harness.h"
#include "interface/library_state.h"
#include "interface/model_dispatch.h"

namespace {

std::vector<std::string_view> split_parts(std::string_view text) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = text.find("\n@@@@\n");
    if (at == std::string_view::npos) break;
    parts.push_back(text.substr(0, at));
    text.remove_prefix(at + 6);
  }
  parts.push_back(text);
  return parts;
}

void write_text(const std::string& name, std::string_view text) {
  pelm::fuzz::write_input(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  pelm::fuzz::prepare_harness();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t line_end = text.find('\n');
  if (line_end == std::string_view::npos) return 0;
  const std::string_view model = text.substr(0, line_end);
  const std::vector<std::string_view> parts = split_parts(text.substr(line_end + 1));

  std::string master = "begin pelm_input;\nwdepth 30;\n";
  if (model == "wavemods") {
    if (parts.size() != 3) return 0;
    master += "wavetype 4;\nbegin wavemods;\ndatafile1 d1.dat;\ndatafile2 d2.dat;\n";
    write_text("d1.dat", parts[1]);
    write_text("d2.dat", parts[2]);
  } else if (model == "det_airy") {
    if (parts.size() != 2) return 0;
    master += "wavetype 2;\nbegin det_airy;\nfile record.dat;\n";
    write_text("record.dat", parts[1]);
  } else {
    return 0;
  }
  master.append(parts[0]).append("\nend;\nend;\nexit;\n");
  write_text("input.inp", master);

  pelm::LibraryState& state = pelm::library_state();
  try {
    pelm::initialise_library(state, "input.inp", 0.0, 10.0, 0.5);
  } catch (const pelm::fuzz::FatalStop&) {
    return 0;
  }
  pelm::fuzz::evaluate_set_up_model();
  return 0;
}
