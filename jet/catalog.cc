#include "jet/catalog.h"

#include "jet/table_def.h"
#include "jet/table_scan.h"
#include "text/case_fold.h"

namespace jet {

namespace {
constexpr uint32_t kSystemFlags = 0x80000002;
constexpr uint32_t kIdPageMask = 0x00FFFFFF;
constexpr int kLocalTable = 1;

Result<size_t> FindColumn(const TableDef& def, const std::string& name, const std::string& file) {
  for (size_t i = 0; i < def.columns.size(); ++i) {
    if (text::FoldCase(def.columns[i].name) == text::FoldCase(name)) return i;
  }
  return Status::Corruption(file + ": page 2: the catalog has no column '" + name + "'");
}

int64_t AsInt(const Value& v) {
  if (auto p = std::get_if<int16_t>(&v)) return *p;
  if (auto p = std::get_if<int32_t>(&v)) return *p;
  if (auto p = std::get_if<uint8_t>(&v)) return *p;
  return 0;
}
}  // namespace

Result<std::vector<CatalogEntry>> ReadCatalog(PageStore& store, const TextDecoder& text) {
  JET_ASSIGN_OR_RETURN(TableDef def, ReadTableDef(store, text, kCatalogPage));
  def.name = "MSysObjects";
  JET_ASSIGN_OR_RETURN(size_t id_col, FindColumn(def, "Id", store.file()));
  JET_ASSIGN_OR_RETURN(size_t name_col, FindColumn(def, "Name", store.file()));
  JET_ASSIGN_OR_RETURN(size_t type_col, FindColumn(def, "Type", store.file()));
  JET_ASSIGN_OR_RETURN(size_t flags_col, FindColumn(def, "Flags", store.file()));
  JET_ASSIGN_OR_RETURN(auto scan, TableScan::Open(&store, &text, def));
  std::vector<CatalogEntry> out;
  for (;;) {
    JET_ASSIGN_OR_RETURN(bool more, scan->Next());
    if (!more) break;
    CatalogEntry e;
    JET_ASSIGN_OR_RETURN(Value name, scan->Get(name_col));
    JET_ASSIGN_OR_RETURN(Value type, scan->Get(type_col));
    JET_ASSIGN_OR_RETURN(Value flags, scan->Get(flags_col));
    JET_ASSIGN_OR_RETURN(Value id, scan->Get(id_col));
    if (auto s = std::get_if<std::string>(&name)) e.name = *s;
    e.type = static_cast<int>(AsInt(type) & 0x7FFF);
    e.flags = static_cast<uint32_t>(AsInt(flags));
    e.definition_page = static_cast<uint32_t>(AsInt(id)) & kIdPageMask;
    e.system = (e.flags & kSystemFlags) != 0 || text::FoldCase(e.name).rfind("msys", 0) == 0;
    if (e.type == kLocalTable && e.definition_page == 0) {
      return store.Corrupt(kCatalogPage, "catalog entry '" + e.name + "' has no definition page");
    }
    out.push_back(std::move(e));
  }
  return out;
}

}  // namespace jet
