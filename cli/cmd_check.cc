// check FILE: the database's integrity, "OK" or the list of problems.
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/open_database.h"
#include "jet/update/integrity_check.h"

namespace cli {

int RunCheck(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args;
  std::string error;
  if (!ParseArgs(argv, &args, &error) || args.positional.size() != 1) {
    err << (error.empty() ? "" : error + "\n") << UsageLine("check") << "\n";
    return kExitUsage;
  }
  auto report = jet::CheckDatabaseFile(args.positional[0], args.password);
  if (!report.ok()) {
    err << InFile(args.positional[0], report.status().message()) << "\n";
    return kExitFailure;
  }
  for (const std::string& w : report->warnings) out << "warning: " << w << "\n";
  if (report->ok()) {
    out << "OK\n";
    return kExitOk;
  }
  for (const std::string& p : report->problems) out << "problem: " << p << "\n";
  out << report->problems.size() << " problem(s) in " << args.positional[0] << "\n";
  return kExitFailure;
}

}  // namespace cli
