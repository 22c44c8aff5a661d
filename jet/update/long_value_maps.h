// The usage maps that list long-value pages, across all tables of a database.
//
// Jet 4 definitions list, for each memo and OLE column, a map of the
// long-value pages it owns and one of those with room. A long-value page an
// update empties can be given back only once it is out of all of them.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "jet/page_store.h"
#include "jet/text_codec.h"

namespace jet {

// Row pointers of every long-value map of every table in the catalog (none in
// Access 97 files, whose definitions have no such maps). std::nullopt when
// the catalog or a definition cannot be read or does not list its maps
// readably: then no long-value page may be released.
std::optional<std::vector<uint32_t>> AllLongValueMaps(PageStore& store, const TextDecoder& text);

}  // namespace jet
