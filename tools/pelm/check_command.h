#pragma once

#include <string>
#include <vector>

namespace pelm_driver {

// "pelm check": sets the input's sea up in-process and prints a summary.
// Returns the process exit status.
int check_command(const std::vector<std::string>& args);

void print_check_help();

}  // namespace pelm_driver
