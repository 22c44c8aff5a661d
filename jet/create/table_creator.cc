#include "jet/create/table_creator.h"

#include <cstring>

#include "jet/alloc/data_page.h"
#include "jet/alloc/usage_map_edit.h"
#include "jet/catalog.h"
#include "jet/create/pages.h"
#include "jet/create/system_tables.h"
#include "jet/create/table_layout.h"
#include "jet/index/index_page.h"
#include "jet/table_def.h"
#include "jet/table_scan.h"
#include "text/case_fold.h"

namespace jet::create {

namespace {

constexpr int kContainerType = 3;
constexpr uint32_t kIdPageMask = 0x00FFFFFF;

// Position of column `name` (ignoring case) in `def`, or -1.
int ColumnOf(const TableDef& def, const std::string& name) {
  for (size_t i = 0; i < def.columns.size(); ++i) {
    if (text::FoldCase(def.columns[i].name) == text::FoldCase(name)) return static_cast<int>(i);
  }
  return -1;
}

int64_t AsInt(const Value& v) {
  if (auto p = std::get_if<int16_t>(&v)) return *p;
  if (auto p = std::get_if<int32_t>(&v)) return *p;
  if (auto p = std::get_if<uint8_t>(&v)) return *p;
  return 0;
}

// Reads every row of `def`, handing the values of `columns` (positions, -1
// for missing ones, which read as NULL) to `visit`.
template <typename Visit>
Status ForEachRow(PageStore& store, const TextDecoder& text, const TableDef& def,
                  const std::vector<int>& columns, Visit visit) {
  JET_ASSIGN_OR_RETURN(auto scan, TableScan::Open(&store, &text, def));
  std::vector<Value> values(columns.size());
  for (;;) {
    JET_ASSIGN_OR_RETURN(bool more, scan->Next());
    if (!more) return Status::Ok();
    for (size_t i = 0; i < columns.size(); ++i) {
      if (columns[i] < 0) {
        values[i] = Value();
      } else {
        JET_ASSIGN_OR_RETURN(values[i], scan->Get(static_cast<size_t>(columns[i])));
      }
    }
    visit(values);
  }
}

}  // namespace

Result<CatalogFacts> ReadCatalogFacts(PageStore& store, const TextDecoder& text,
                                      const std::string& name) {
  CatalogFacts facts;
  JET_ASSIGN_OR_RETURN(facts.catalog, ReadTableDef(store, text, kCatalogPage));
  facts.catalog.name = "MSysObjects";
  const TableDef& cat = facts.catalog;
  const std::vector<int> cols = {ColumnOf(cat, "Id"),    ColumnOf(cat, "ParentId"),
                                 ColumnOf(cat, "Name"),  ColumnOf(cat, "Type"),
                                 ColumnOf(cat, "Owner"), ColumnOf(cat, "Flags")};
  for (int c : {cols[0], cols[1], cols[2], cols[3]}) {
    if (c < 0)
      return store.Corrupt(kCatalogPage, "the catalog lacks one of Id, ParentId, Name, Type");
  }
  const ColumnDef& name_column = cat.columns[static_cast<size_t>(cols[2])];
  facts.sort_order = name_column.sort_order;
  facts.sort_order_version = name_column.sort_order_version;

  const std::string folded = text::FoldCase(name);
  bool taken = false;
  uint32_t aces_page = 0;
  Bytes table_owner, database_owner;
  JET_RETURN_IF_ERROR(ForEachRow(store, text, cat, cols, [&](const std::vector<Value>& v) {
    const std::string* n = std::get_if<std::string>(&v[2]);
    const int type = static_cast<int>(AsInt(v[3]) & 0x7FFF);
    const auto flags = static_cast<uint32_t>(AsInt(v[5]));
    const Bytes* owner = std::get_if<Bytes>(&v[4]);
    if (!n) return;
    if (type == kContainerType && *n == "Tables") {
      facts.tables_container = static_cast<int32_t>(AsInt(v[0]));
    }
    if (type == 1 && *n == "MSysACEs") aces_page = static_cast<uint32_t>(AsInt(v[0])) & kIdPageMask;
    if (type == 2 && *n == "MSysDb" && owner) database_owner = *owner;
    // The owner of an existing user table is the account new tables belong to.
    if (type == 1 && (flags & 0x80000002) == 0 && owner && table_owner.empty()) {
      table_owner = *owner;
    }
    // Tables, queries and links share one name space.
    if (type != kContainerType && type != 2 && text::FoldCase(*n) == folded) taken = true;
  }));
  if (taken) {
    return Status::InvalidArgument("an object named '" + name + "' already exists in " +
                                   store.file());
  }
  if (facts.tables_container == 0) facts.tables_container = kTablesId;
  facts.owner = !table_owner.empty()      ? table_owner
                : !database_owner.empty() ? database_owner
                                          : UserTableOwner();
  if (aces_page != 0 && aces_page < store.page_count()) {
    JET_ASSIGN_OR_RETURN(TableDef aces, ReadTableDef(store, text, aces_page));
    aces.name = "MSysACEs";
    const std::vector<int> ace_cols = {ColumnOf(aces, "ObjectId"), ColumnOf(aces, "SID"),
                                       ColumnOf(aces, "ACM"), ColumnOf(aces, "FInheritable")};
    if (ace_cols[0] >= 0 && ace_cols[1] >= 0 && ace_cols[2] >= 0) {
      JET_RETURN_IF_ERROR(ForEachRow(store, text, aces, ace_cols, [&](const std::vector<Value>& v) {
        const Bytes* sid = std::get_if<Bytes>(&v[1]);
        const bool inheritable = std::holds_alternative<bool>(v[3]) && std::get<bool>(v[3]);
        if (AsInt(v[0]) == facts.tables_container && sid && inheritable) {
          facts.inherited.push_back({*sid, static_cast<int32_t>(AsInt(v[2]))});
        }
      }));
      facts.aces = std::move(aces);
    }
  }
  return facts;
}

Result<TableDef> WriteTableStructure(PageEditor& editor, const TableSpec& spec,
                                     const CatalogFacts& facts) {
  const Format& f = editor.format();
  if (f.version != 4) {
    return Status::NotSupported(editor.store().file() +
                                ": creating tables in Access 97 databases is not supported");
  }
  if (text::FoldCase(spec.name).rfind("msys", 0) == 0) {
    return Status::InvalidArgument("table name '" + spec.name + "' is reserved for system tables");
  }
  JET_ASSIGN_OR_RETURN(TableDef def, LayoutTable(spec));
  for (ColumnDef& c : def.columns) {
    if (c.type == ColumnType::kText || c.type == ColumnType::kMemo) {
      c.sort_order = facts.sort_order;
      c.sort_order_version = facts.sort_order_version;
    }
  }

  JET_ASSIGN_OR_RETURN(def.definition_page, AllocatePage(editor));
  if (def.definition_page > kIdPageMask) {
    return Status::NotSupported(editor.store().file() + ": the file is too large for a new table");
  }
  // The map rows, all on one new page (a table has at most a few dozen).
  DefinitionExtras extras;
  size_t long_columns = 0;
  for (const ColumnDef& c : def.columns) {
    long_columns += c.type == ColumnType::kMemo || c.type == ColumnType::kOle;
  }
  const size_t map_rows = 2 + def.indexes.size() + 2 * long_columns;
  std::vector<PageSlot> slots(map_rows, PageSlot{0, std::vector<uint8_t>(kMapRowSize, 0)});
  JET_ASSIGN_OR_RETURN(uint32_t map_page, AllocatePage(editor));
  {
    JET_ASSIGN_OR_RETURN(uint8_t * p, editor.Edit(map_page));
    jet::InitDataPage(f, 0, p);
    if (map_rows > 0xFF || !WriteDataPageSlots(f, slots, p)) {
      return Status::NotSupported("table '" + spec.name + "': too many indexes and long columns");
    }
  }
  uint32_t next = 0;
  auto map_ref = [&]() { return map_page << 8 | next++; };
  extras.owned_map = map_ref();
  extras.free_map = map_ref();
  def.owned_map = extras.owned_map;
  def.free_map = extras.free_map;
  for (IndexDef& x : def.indexes) {
    extras.index_maps.push_back(map_ref());
    JET_ASSIGN_OR_RETURN(x.root_page, AllocatePage(editor));
    JET_ASSIGN_OR_RETURN(uint8_t * p, editor.Edit(x.root_page));
    std::memset(p, 0, editor.page_size());
    IndexPage leaf;
    leaf.type = kPageIndexLeaf;
    leaf.owner = def.definition_page;
    WriteIndexPage(f, leaf, p);
    JET_RETURN_IF_ERROR(SetMapPage(editor, extras.index_maps.back(), x.root_page, true));
  }
  for (const ColumnDef& c : def.columns) {
    if (c.type != ColumnType::kMemo && c.type != ColumnType::kOle) continue;
    uint32_t owned = map_ref();
    uint32_t free = map_ref();
    extras.long_value_maps.push_back({c.number, owned, free});
  }
  JET_ASSIGN_OR_RETURN(auto bytes, SerializeTableDef(def, extras, editor.page_size()));
  JET_ASSIGN_OR_RETURN(uint8_t * p, editor.Edit(def.definition_page));
  std::memcpy(p, bytes.data(), bytes.size());
  return def;
}

std::vector<Value> CatalogRowFor(const CatalogFacts& facts, const TableDef& def, double date) {
  const TableDef& cat = facts.catalog;
  std::vector<Value> row(cat.columns.size());
  auto set = [&](const char* name, Value v) {
    int c = ColumnOf(cat, name);
    if (c >= 0) row[static_cast<size_t>(c)] = std::move(v);
  };
  set("Id", static_cast<int32_t>(def.definition_page));
  set("ParentId", facts.tables_container);
  set("Name", def.name);
  set("Type", int16_t{1});
  set("DateCreate", DateTime{date});
  set("DateUpdate", DateTime{date});
  set("Owner", facts.owner);
  set("Flags", int32_t{0});
  return row;
}

std::vector<std::vector<Value>> AceRowsFor(const CatalogFacts& facts, const TableDef& def) {
  std::vector<std::vector<Value>> rows;
  if (!facts.aces) return rows;
  const TableDef& aces = *facts.aces;
  for (const CatalogFacts::Ace& ace : facts.inherited) {
    std::vector<Value> row(aces.columns.size());
    auto set = [&](const char* name, Value v) {
      int c = ColumnOf(aces, name);
      if (c >= 0) row[static_cast<size_t>(c)] = std::move(v);
    };
    set("ObjectId", static_cast<int32_t>(def.definition_page));
    set("SID", ace.sid);
    set("ACM", ace.rights);
    set("FInheritable", false);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace jet::create
