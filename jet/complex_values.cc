#include "jet/complex_values.h"

#include <optional>

#include "jet/table_def.h"
#include "jet/table_scan.h"
#include "jet/value_text.h"
#include "text/case_fold.h"

namespace jet {

namespace {

constexpr uint32_t kObjectIdMask = 0x00FFFFFF;  // catalog ids are definition pages

std::optional<size_t> ColumnNamed(const TableDef& def, const std::string& name) {
  const std::string folded = text::FoldCase(name);
  for (size_t i = 0; i < def.columns.size(); ++i) {
    if (text::FoldCase(def.columns[i].name) == folded) return i;
  }
  return std::nullopt;
}

std::optional<int64_t> IntegerOf(const Value& v) {
  if (auto* i = std::get_if<int32_t>(&v)) return *i;
  if (auto* i = std::get_if<int16_t>(&v)) return *i;
  if (auto* i = std::get_if<uint8_t>(&v)) return *i;
  return std::nullopt;
}

// Where a complex column's items live.
struct FlatTable {
  uint32_t flat_page = 0;
  uint32_t type_page = 0;  // the definition that lists the item's own columns
};

Result<FlatTable> FindFlatTable(PageStore& store, const TextDecoder& text,
                                const std::vector<CatalogEntry>& catalog, const TableDef& table,
                                const ColumnDef& column, const std::string& where) {
  const CatalogEntry* registry = nullptr;
  for (const CatalogEntry& e : catalog) {
    if (e.table() && text::FoldCase(e.name) == text::FoldCase("MSysComplexColumns")) registry = &e;
  }
  if (registry == nullptr) {
    return Status::Corruption(where + ": complex column, but the database has no "
                                      "MSysComplexColumns table");
  }
  JET_ASSIGN_OR_RETURN(TableDef reg, ReadTableDef(store, text, registry->definition_page));
  reg.name = registry->name;
  auto id_col = ColumnNamed(reg, "ComplexID");
  auto flat_col = ColumnNamed(reg, "FlatTableID");
  auto type_col = ColumnNamed(reg, "ComplexTypeObjectID");
  auto owner_col = ColumnNamed(reg, "ConceptualTableID");
  if (!id_col || !flat_col || !type_col || !owner_col) {
    return Status::Corruption(where + ": MSysComplexColumns lacks its id columns");
  }
  JET_ASSIGN_OR_RETURN(auto scan, TableScan::Open(&store, &text, reg));
  for (;;) {
    JET_ASSIGN_OR_RETURN(bool more, scan->Next());
    if (!more) break;
    JET_ASSIGN_OR_RETURN(Value id, scan->Get(*id_col));
    JET_ASSIGN_OR_RETURN(Value owner, scan->Get(*owner_col));
    auto i = IntegerOf(id), o = IntegerOf(owner);
    if (!i || !o || *i != static_cast<int64_t>(column.complex_id) ||
        (static_cast<uint32_t>(*o) & kObjectIdMask) != table.definition_page) {
      continue;
    }
    JET_ASSIGN_OR_RETURN(Value flat, scan->Get(*flat_col));
    JET_ASSIGN_OR_RETURN(Value type, scan->Get(*type_col));
    auto f = IntegerOf(flat), t = IntegerOf(type);
    if (!f || !t) return Status::Corruption(where + ": MSysComplexColumns row without its tables");
    return FlatTable{static_cast<uint32_t>(*f) & kObjectIdMask,
                     static_cast<uint32_t>(*t) & kObjectIdMask};
  }
  return Status::Corruption(where + ": complex id " + std::to_string(column.complex_id) +
                            " is not in MSysComplexColumns");
}

class SummaryCursor : public TableCursor {
 public:
  SummaryCursor(std::unique_ptr<TableCursor> inner, std::vector<const ComplexSummaries*> maps)
      : inner_(std::move(inner)), maps_(std::move(maps)) {}

  Result<bool> Next() override { return inner_->Next(); }
  RowId id() const override { return inner_->id(); }
  uint64_t run() const override { return inner_->run(); }

  Result<Value> Get(size_t column) override {
    JET_ASSIGN_OR_RETURN(Value v, inner_->Get(column));
    if (column < maps_.size() && maps_[column] != nullptr) v = Summary(*maps_[column], v);
    return v;
  }

  Result<bool> AppendText(size_t column, std::string* out) override {
    if (column < maps_.size() && maps_[column] != nullptr) return TableCursor::AppendText(column, out);
    return inner_->AppendText(column, out);
  }

  Result<bool> AppendUtf16(size_t column, std::u16string* out) override {
    if (column < maps_.size() && maps_[column] != nullptr) return TableCursor::AppendUtf16(column, out);
    return inner_->AppendUtf16(column, out);
  }

  static Value Summary(const ComplexSummaries& map, const Value& key) {
    if (IsNull(key)) return key;
    auto k = std::get_if<int32_t>(&key);
    if (k == nullptr) return key;
    auto it = map.find(*k);
    return Value(it == map.end() ? std::string() : it->second);
  }

 private:
  std::unique_ptr<TableCursor> inner_;
  std::vector<const ComplexSummaries*> maps_;
};

}  // namespace

Result<ComplexSummaries> ReadComplexSummaries(PageStore& store, const TextDecoder& text,
                                              const std::vector<CatalogEntry>& catalog,
                                              const TableDef& table, const ColumnDef& column) {
  const std::string where = store.file() + ": table '" + table.name + "': column '" + column.name +
                            "'";
  JET_ASSIGN_OR_RETURN(FlatTable ft, FindFlatTable(store, text, catalog, table, column, where));
  JET_ASSIGN_OR_RETURN(TableDef flat, ReadTableDef(store, text, ft.flat_page));
  JET_ASSIGN_OR_RETURN(TableDef type, ReadTableDef(store, text, ft.type_page));
  for (const CatalogEntry& e : catalog) {
    if (e.definition_page == ft.flat_page) flat.name = e.name;
  }
  // The item's own columns are those the type lists; the key is the one
  // other plain Long (the flat table's autonumber is its row id).
  std::optional<size_t> key, shown;
  for (size_t i = 0; i < flat.columns.size(); ++i) {
    const ColumnDef& c = flat.columns[i];
    if (ColumnNamed(type, c.name)) continue;
    if (c.type == ColumnType::kLong && !c.auto_number) key = i;
  }
  shown = ColumnNamed(flat, "FileName");  // attachments
  if (!shown) shown = ColumnNamed(flat, "Value");
  if (!shown && !type.columns.empty()) shown = ColumnNamed(flat, type.columns.front().name);
  if (!key || !shown) {
    return Status::Corruption(where + ": its flat table '" + flat.name +
                              "' has no key or value column");
  }
  ComplexSummaries out;
  JET_ASSIGN_OR_RETURN(auto scan, TableScan::Open(&store, &text, flat));
  for (;;) {
    JET_ASSIGN_OR_RETURN(bool more, scan->Next());
    if (!more) break;
    JET_ASSIGN_OR_RETURN(Value k, scan->Get(*key));
    auto* id = std::get_if<int32_t>(&k);
    if (id == nullptr) continue;  // an item without an owner row
    JET_ASSIGN_OR_RETURN(Value v, scan->Get(*shown));
    auto [it, fresh] = out.try_emplace(*id);
    if (!fresh) it->second += kComplexItemSeparator;
    AppendValue(v, &it->second);
  }
  return out;
}

std::unique_ptr<TableCursor> WithComplexSummaries(std::unique_ptr<TableCursor> inner,
                                                  std::vector<const ComplexSummaries*> summaries) {
  return std::make_unique<SummaryCursor>(std::move(inner), std::move(summaries));
}

void ReplaceComplexKeys(const std::vector<const ComplexSummaries*>& summaries,
                        std::vector<Value>* row) {
  for (size_t i = 0; i < row->size() && i < summaries.size(); ++i) {
    if (summaries[i] != nullptr) (*row)[i] = SummaryCursor::Summary(*summaries[i], (*row)[i]);
  }
}

}  // namespace jet
