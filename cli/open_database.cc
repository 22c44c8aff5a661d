#include "cli/open_database.h"

#include "cli/help.h"
#include "data/provider/sql.h"
#include "jet/jet.h"

namespace cli {

std::string InFile(const std::string& file, const std::string& message) {
  if (file.empty() || message.find(file) != std::string::npos) return message;
  return file + ": " + message;
}

std::string MissingFieldMessage(const std::string& statement, const std::string& failure) {
  // The description may have lost or gained its full stop on the way.
  const std::string expected = provider::kMissingParameter;
  if (failure.compare(0, expected.size() - 1, expected, 0, expected.size() - 1) != 0) return {};
  try {
    const provider::SelectStatement parsed = provider::ParseSelect(statement);
    if (!parsed.where) return {};
    return "table '" + parsed.table + "' has no field '" + parsed.where->field + "'";
  } catch (const std::exception&) {
    return {};  // a parameter marker: the description stands as it is
  }
}

bool ParseCommandArgs(const std::string& command, const std::vector<std::string>& argv,
                      size_t positional, Args* args, std::ostream& err) {
  std::string error;
  if (ParseArgs(argv, args, &error) && args->positional.size() == positional) return true;
  if (!error.empty()) err << error << "\n";
  err << UsageLine(command) << "\n";
  return false;
}

std::optional<OpenedTable> OpenTableOrReport(const Args& args, std::ostream& err) {
  auto db = OpenOrReport(args, err);
  if (!db) return std::nullopt;
  auto table = db->FindTable(args.positional[1]);
  if (!table.ok()) {
    err << InFile(args.positional[0], table.status().message()) << "\n";
    return std::nullopt;
  }
  return OpenedTable{std::move(db), std::move(table).value()};
}

std::unique_ptr<jet::Database> OpenOrReport(const Args& args, std::ostream& err) {
  jet::OpenOptions options;
  options.password = args.password;
  auto db = jet::OpenDatabaseForReading(args.positional[0], options);
  if (!db.ok()) {
    err << InFile(args.positional[0], db.status().message()) << "\n";
    return nullptr;
  }
  return std::move(db).value();
}

}  // namespace cli
