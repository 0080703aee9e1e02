#pragma once

#include <string>
#include <vector>

namespace pelm_driver {

// "pelm plot": runs the figure script shipped with the driver's source tree
// under python3. Returns the process exit status.
int plot_command(const std::vector<std::string>& args);

}  // namespace pelm_driver
