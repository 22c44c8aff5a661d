#include "jet/update/long_value_maps.h"

#include <set>

#include "jet/catalog.h"
#include "jet/table_def.h"

namespace jet {

std::optional<std::vector<uint32_t>> AllLongValueMaps(PageStore& store, const TextDecoder& text) {
  std::vector<uint32_t> maps;
  if (store.format().version != 4) return maps;
  auto catalog = ReadCatalog(store, text);
  if (!catalog.ok()) return std::nullopt;
  std::set<uint32_t> seen;
  for (const CatalogEntry& e : *catalog) {
    if (!e.table() || !seen.insert(e.definition_page).second) continue;
    auto def = ReadTableDef(store, text, e.definition_page);
    if (!def.ok() || !def->long_value_maps_known) return std::nullopt;
    for (uint32_t m : def->long_value_maps) {
      if (m != 0) maps.push_back(m);
    }
  }
  return maps;
}

}  // namespace jet
