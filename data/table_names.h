// The names of a database's tables, for offering them while the user types a
// table name. A convenience only: any failure just means no names.
#pragma once

#include <string>
#include <vector>

namespace data {

// The user tables of the database file at `path`, opened for reading only
// with `password` by the provider the connection uses (kJetProviderName), in
// the file's order, links to tables in other files left out as they cannot
// be listed. Returns an empty list when the file cannot be opened or read,
// for whatever reason; never throws.
std::vector<std::string> ListTableNames(const std::string& path, const std::string& password);

}  // namespace data
