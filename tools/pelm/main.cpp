// pelm: the reference host of pelm_dll on the command line.

#include <cstdio>
#include <string>
#include <vector>

#include "check_command.h"
#include "plot_command.h"
#include "run_command.h"

namespace {

void print_usage(std::FILE* stream) {
  std::fprintf(stream,
               "usage: pelm run [INPUT] [options]   evaluate a wave model over a time window\n"
               "       pelm check INPUT [options]   summarise the sea of INPUT before a long run\n"
               "       pelm plot INPUT [options]    PNG figures of the sea of INPUT\n"
               "       pelm COMMAND --help          the options of a command\n");
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
    print_usage(args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "run") return pelm_driver::run_command({args.begin() + 1, args.end()});
  if (args[0] == "check") return pelm_driver::check_command({args.begin() + 1, args.end()});
  if (args[0] == "plot") return pelm_driver::plot_command({args.begin() + 1, args.end()});
  std::fprintf(stderr, "pelm: unknown command '%s' (see pelm --help)\n", args[0].c_str());
  return 2;
}
