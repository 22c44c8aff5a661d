// repair FILE [--table T ...]: rebuilds every index of the named tables (all
// user tables when none is named) from their rows, in one transaction.
#include "cli/commands.h"
#include "cli/open_database.h"
#include "jet/jet.h"

namespace cli {

int RunRepair(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  // --table may be given several times; the rest is the common options.
  std::vector<std::string> rest, tables;
  for (size_t i = 0; i < argv.size(); ++i) {
    if (argv[i] == "--") {
      rest.insert(rest.end(), argv.begin() + i, argv.end());
      break;
    }
    if (argv[i] == "--table" && i + 1 < argv.size()) {
      tables.push_back(argv[++i]);
    } else if (argv[i].rfind("--table=", 0) == 0) {
      tables.push_back(argv[i].substr(8));
    } else {
      rest.push_back(argv[i]);
    }
  }
  Args args;
  if (!ParseCommandArgs("repair", rest, 1, &args, err)) return kExitUsage;
  jet::WriteOptions options;
  options.password = args.password;
  const std::string& path = args.positional[0];
  auto repaired = jet::RepairIndexes(path, tables, options);
  if (!repaired.ok()) {
    err << InFile(path, repaired.status().message()) << "\n";
    return kExitFailure;
  }
  size_t indexes = 0, released = 0;
  for (const jet::RepairedTable& t : *repaired) {
    for (const jet::RebuiltIndex& x : t.rebuild.indexes) {
      out << t.name << "\t" << x.name << "\t" << x.entries << " entries, " << x.pages
          << " page(s)\n";
      ++indexes;
    }
    released += t.rebuild.released_pages;
  }
  out << "Rebuilt " << indexes << " index(es) of " << repaired->size() << " table(s) in " << path
      << "; " << released << " old page(s) given back\n";
  return kExitOk;
}

}  // namespace cli
