// tarnquill-cli tables FILE: user table names, one per line, in catalog order.
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/open_database.h"

namespace cli {

int RunTables(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args;
  std::string error;
  if (!ParseArgs(argv, &args, &error) || args.positional.size() != 1) {
    err << (error.empty() ? "" : error + "\n") << UsageLine("tables") << "\n";
    return kExitUsage;
  }
  auto db = OpenOrReport(args, err);
  if (!db) return kExitFailure;
  auto tables = db->ListTables();
  if (!tables.ok()) {
    err << InFile(args.positional[0], tables.status().message()) << "\n";
    return kExitFailure;
  }
  for (const jet::TableInfo& t : *tables) out << t.name << "\n";
  return kExitOk;
}

}  // namespace cli
