// Adding a new, empty table to an existing Jet 4 database: its definition
// page, the rows of its usage maps, an empty root page per index, and the
// catalog facts its catalog and access-control rows are made from.
//
// Everything goes through a PageEditor, so the caller decides when (and
// whether) the pages reach the file; RowAppender::CreateTable uses it inside
// the same journal transaction as the rows that follow.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/alloc/page_editor.h"
#include "jet/create/spec.h"
#include "jet/database.h"
#include "jet/status.h"
#include "jet/text_codec.h"

namespace jet::create {

// What a new table copies from the database it is added to.
struct CatalogFacts {
  TableDef catalog;              // the catalog table's layout
  std::optional<TableDef> aces;  // the access-control table, when the file has one
  int32_t tables_container = 0;  // catalog id of the "Tables" container
  Bytes owner;                   // owner recorded for user tables
  uint16_t sort_order = 0;       // the text sort order of the catalog's names
  uint8_t sort_order_version = 0;
  struct Ace {
    Bytes sid;
    int32_t rights = 0;
  };
  std::vector<Ace> inherited;  // entries the container passes on to new tables
};

// Reads the catalog of the database behind `store`. InvalidArgument when an
// object named `name` (ignoring case) already exists; Corruption when the
// catalog lacks what every database has.
Result<CatalogFacts> ReadCatalogFacts(PageStore& store, const TextDecoder& text,
                                      const std::string& name);

// Lays `spec` out and writes its structure through `editor`: a definition
// page (whose number becomes the table's id), a data page of usage-map rows
// (owned pages, pages with room, each index, each long-value column) and one
// empty leaf page per index. Text columns take the catalog's sort order. The
// returned layout has its pages filled in. NotSupported for Jet 3 files or a
// definition larger than a page; InvalidArgument for a bad spec.
Result<TableDef> WriteTableStructure(PageEditor& editor, const TableSpec& spec,
                                     const CatalogFacts& facts);

// The catalog row for table `def`, laid out for the file's catalog columns
// (matched by name; columns it does not know stay NULL).
std::vector<Value> CatalogRowFor(const CatalogFacts& facts, const TableDef& def, double date);

// The access-control rows table `def` inherits from the Tables container.
std::vector<std::vector<Value>> AceRowsFor(const CatalogFacts& facts, const TableDef& def);

}  // namespace jet::create
