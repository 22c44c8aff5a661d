#include "data/table_names.h"

#include "jet/update/writable_database.h"

namespace data {

std::vector<std::string> ListTableNames(const std::string& path, const std::string& password) {
  std::vector<std::string> names;
  if (path.empty()) return names;
  try {
    jet::OpenOptions options;
    options.password = password;
    auto db = jet::OpenDatabaseForReading(path, options);
    if (!db.ok()) return names;
    auto tables = (*db)->ListTables();
    if (!tables.ok()) return names;
    for (const jet::TableInfo& t : *tables) {
      if (!t.linked) names.push_back(t.name);
    }
  } catch (...) {
    // Out of memory or the like: the user simply types the name.
    names.clear();
  }
  return names;
}

}  // namespace data
