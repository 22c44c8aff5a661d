#include "cli/commands.h"
#include "cli/help.h"
#include "data/provider/jet_provider.h"

namespace cli {

namespace {
constexpr const char* kMoreHelp = "tarnquill-cli --help lists the commands with examples\n";
}  // namespace

int Dispatch(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  if (argv.empty()) {
    err << "usage: tarnquill-cli COMMAND [ARGS]\n" << kMoreHelp;
    return kExitUsage;
  }
  const std::string& command = argv[0];
  std::vector<std::string> rest(argv.begin() + 1, argv.end());
  if (command == "--help" || command == "-h" || command == "help") {
    // "help COMMAND" is "COMMAND --help".
    if (!rest.empty()) {
      if (const CommandHelp* help = FindCommandHelp(rest[0])) {
        PrintCommandHelp(*help, out);
        return kExitOk;
      }
      err << "unknown command '" << rest[0] << "'\n" << kMoreHelp;
      return kExitUsage;
    }
    PrintOverview(out);
    return kExitOk;
  }
  if (const CommandHelp* help = FindCommandHelp(command); help && WantsHelp(rest)) {
    PrintCommandHelp(*help, out);
    return kExitOk;
  }
  provider::RegisterJetProvider();  // our engine serves every connection the commands open
  if (command == "tables") return RunTables(rest, out, err);
  if (command == "schema") return RunSchema(rest, out, err);
  if (command == "export") return RunExport(rest, out, err);
  if (command == "check") return RunCheck(rest, out, err);
  if (command == "create-sample") return RunCreateSample(rest, out, err);
  if (command == "query") return RunQuery(rest, out, err);
  if (command == "import") return RunImport(rest, out, err);
  if (command == "replace") return RunReplace(rest, out, err);
  if (command == "undo") return RunUndo(rest, out, err);
  if (command == "repair") return RunRepair(rest, out, err);
  if (command == "recover") return RunRecover(rest, out, err);
  err << "unknown command '" << command << "'\n" << kMoreHelp;
  return kExitUsage;
}

}  // namespace cli
