// tarnquill-cli: the command-line companion of the window program.
#include <cstdio>
#include <cstring>

namespace {
constexpr const char* kUsage =
    "usage: tarnquill-cli COMMAND [ARGS]\n"
    "\n"
    "Commands are added as the engine grows; run with --help for this text.\n";
}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::fputs(kUsage, stderr);
  return 2;
}
