// recover FILE: roll back what an interrupted write left half done.
#include "cli/commands.h"
#include "cli/open_database.h"
#include "jet/jet.h"

namespace cli {

int RunRecover(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args;
  if (!ParseCommandArgs("recover", argv, 1, &args, err)) return kExitUsage;
  const std::string& path = args.positional[0];
  auto recovered = jet::RecoverDatabase(path);
  if (!recovered.ok()) {
    err << InFile(path, recovered.status().message()) << "\n";
    return kExitFailure;
  }
  out << (*recovered ? path + ": the interrupted change was rolled back; the file is as it was "
                              "before that change.\n"
                     : path + ": nothing to recover.\n");
  return kExitOk;
}

}  // namespace cli
