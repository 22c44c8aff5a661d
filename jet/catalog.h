// The catalog: the system table on page 2 that lists every object of the
// database (tables, queries, links) with its kind, flags and definition page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page_store.h"
#include "jet/text_codec.h"

namespace jet {

inline constexpr uint32_t kCatalogPage = 2;

struct CatalogEntry {
  std::string name;
  int type = 0;             // 1 local table, 4 and 6 linked tables, 5 query, ...
  uint32_t flags = 0;
  uint32_t definition_page = 0;  // local tables
  bool system = false;      // system tables (flag bits or the MSys prefix)
  bool table() const { return type == 1; }
  bool linked() const { return type == 4 || type == 6; }
};

// Every entry of the catalog in storage order.
Result<std::vector<CatalogEntry>> ReadCatalog(PageStore& store, const TextDecoder& text);

}  // namespace jet
