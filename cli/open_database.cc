#include "cli/open_database.h"

#include "jet/update/writable_database.h"

namespace cli {

std::unique_ptr<jet::Database> OpenOrReport(const Args& args, std::ostream& err) {
  jet::OpenOptions options;
  options.password = args.password;
  auto db = jet::OpenDatabaseForReading(args.positional[0], options);
  if (!db.ok()) {
    err << db.status().message() << "\n";
    return nullptr;
  }
  return std::move(db).value();
}

}  // namespace cli
