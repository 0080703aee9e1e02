#pragma once

#include <string>
#include <vector>

namespace pelm_driver {

// "pelm run": init, step the time, evaluate the points, write the CSV.
// Returns the process exit status.
int run_command(const std::vector<std::string>& args);

void print_run_help();

}  // namespace pelm_driver
