// tarnquill-cli: the command-line companion of the window program.
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  return cli::Dispatch(args, std::cout, std::cerr);
}
