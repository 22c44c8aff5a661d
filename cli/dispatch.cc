#include "cli/commands.h"

namespace cli {

namespace {
constexpr const char* kUsage =
    "usage: tarnquill-cli COMMAND [--password P] ARGS\n"
    "\n"
    "  tables FILE          user table names, one per line\n"
    "  schema FILE TABLE    columns (name, type, size, flags) and indexes\n"
    "  export FILE TABLE    the table as CSV\n"
    "  check FILE           integrity of pages, rows, long values and indexes\n"
    "  create-sample FILE   a new demonstration database\n"
    "  query FILE STATEMENT the rows of a select statement as CSV\n"
    "  import FILE TABLE CSVFILE [--create]\n"
    "                       append CSV rows (the export form); --create makes\n"
    "                       the file and/or a table of text columns when missing\n"
    "  replace FILE --table T --field F --find S --replace R [--dry-run] [--backup]\n";
}  // namespace

int Dispatch(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  if (argv.empty()) {
    err << kUsage;
    return kExitUsage;
  }
  const std::string& command = argv[0];
  std::vector<std::string> rest(argv.begin() + 1, argv.end());
  if (command == "--help" || command == "-h" || command == "help") {
    out << kUsage;
    return kExitOk;
  }
  if (command == "tables") return RunTables(rest, out, err);
  if (command == "schema") return RunSchema(rest, out, err);
  if (command == "export") return RunExport(rest, out, err);
  if (command == "check") return RunCheck(rest, out, err);
  if (command == "create-sample") return RunCreateSample(rest, out, err);
  if (command == "query") return RunQuery(rest, out, err);
  if (command == "import") return RunImport(rest, out, err);
  if (command == "replace") return RunReplace(rest, out, err);
  err << "unknown command '" << command << "'\n" << kUsage;
  return kExitUsage;
}

}  // namespace cli
