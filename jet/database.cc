// The read side of Database: opening, the catalog, definitions and rows.
#include "jet/database.h"

#include <map>
#include <optional>

#include "jet/calculated_types.h"
#include "jet/catalog.h"
#include "jet/complex_values.h"
#include "jet/crypto/office_cipher.h"
#include "jet/header.h"
#include "jet/io/byte_source.h"
#include "jet/page_store.h"
#include "jet/table_def.h"
#include "jet/table_scan.h"
#include "jet/text_codec.h"
#include "jet/value_text.h"
#include "text/case_fold.h"

namespace jet {

Result<bool> TableCursor::AppendText(size_t column, std::string* out) {
  JET_ASSIGN_OR_RETURN(Value v, Get(column));
  if (IsNull(v)) return false;
  AppendValue(v, out);
  return true;
}

Result<bool> TableCursor::AppendUtf16(size_t column, std::u16string* out) {
  std::string utf8;
  JET_ASSIGN_OR_RETURN(bool present, AppendText(column, &utf8));
  const std::string le = Utf8ToUtf16Le(utf8);
  for (size_t i = 0; i + 1 < le.size(); i += 2) {
    out->push_back(static_cast<char16_t>(static_cast<uint8_t>(le[i]) |
                                         static_cast<uint8_t>(le[i + 1]) << 8));
  }
  return present;
}

Result<std::unique_ptr<TableCursor>> Database::ScanPart(const TableDef& table, uint32_t, uint32_t) {
  return Status::NotSupported(path() + ": table '" + table.name +
                              "': this database cannot share a scan");
}

namespace {

class DatabaseImpl : public Database {
 public:
  DatabaseImpl(std::unique_ptr<ByteSource> source, Header header,
               std::shared_ptr<const PageCipher> cipher)
      : source_(std::move(source)),
        header_(std::move(header)),
        store_(source_.get(), *header_.format, header_.database_key),
        text_(header_.format->text_utf16, header_.code_page) {
    store_.SetCipher(std::move(cipher));
  }

  const std::string& path() const override { return source_->name(); }
  int jet_version() const override { return header_.format->version; }

  Result<std::vector<TableInfo>> ListTables() override {
    JET_RETURN_IF_ERROR(LoadCatalog());
    std::vector<TableInfo> out;
    for (const CatalogEntry& e : *catalog_) {
      if (e.system || !(e.table() || e.linked())) continue;
      out.push_back(TableInfo{e.name, e.linked() ? 0 : e.definition_page, e.linked()});
    }
    return out;
  }

  Result<TableDef> FindTable(std::string_view name) override {
    JET_RETURN_IF_ERROR(LoadCatalog());
    std::string folded = text::FoldCase(std::string(name));
    for (const CatalogEntry& e : *catalog_) {
      if (!(e.table() || e.linked()) || text::FoldCase(e.name) != folded) continue;
      if (e.linked()) {
        return Status::NotSupported(path() + ": table '" + e.name +
                                    "' is linked to another database");
      }
      auto def = ReadTableDef(store_, text_, e.definition_page);
      if (!def.ok()) return def.status().WithContext("table '" + e.name + "'");
      def->name = e.name;
      // Tables the catalog hides (the items of attachment and multi-value
      // fields among them) are Access's own: readable, never changed.
      def->system = def->system || e.system;
      Status types = ApplyResultTypes(store_, text_, &*def);
      if (!types.ok()) return types.WithContext("table '" + e.name + "'");
      return def;
    }
    return Status::NotFound("The database engine cannot find the input table or query '" +
                            std::string(name) +
                            "'. Make sure it exists and that its name is spelled correctly.");
  }

  Result<std::unique_ptr<TableCursor>> Scan(const TableDef& table) override {
    return ScanPart(table, 0, 1);
  }

  Result<std::unique_ptr<TableCursor>> ScanPart(const TableDef& table, uint32_t index,
                                                uint32_t count) override {
    JET_ASSIGN_OR_RETURN(auto summaries, ComplexOf(table));
    JET_ASSIGN_OR_RETURN(auto scan, TableScan::Open(&store_, &text_, table, index, count));
    if (summaries.empty()) return std::unique_ptr<TableCursor>(std::move(scan));
    return WithComplexSummaries(std::move(scan), std::move(summaries));
  }

  Result<std::vector<Value>> ReadRow(const TableDef& table, RowId row) override {
    JET_ASSIGN_OR_RETURN(auto summaries, ComplexOf(table));
    JET_ASSIGN_OR_RETURN(auto values, ReadRowAt(store_, text_, table, row));
    ReplaceComplexKeys(summaries, &values);
    return values;
  }

  Status UpdateRow(const TableDef& table, RowId,
                   const std::vector<std::pair<size_t, Value>>&) override {
    return Status::ReadOnly(path() + ": table '" + table.name +
                            "': the database is open read-only; rows cannot be changed");
  }

 private:
  Status LoadCatalog() {
    if (catalog_) return Status::Ok();
    JET_ASSIGN_OR_RETURN(auto entries, ReadCatalog(store_, text_));
    catalog_ = std::move(entries);
    return Status::Ok();
  }

  // Per column of `table`, the summaries of its complex values (read once per
  // column and kept); empty when the table has no complex column.
  Result<std::vector<const ComplexSummaries*>> ComplexOf(const TableDef& table) {
    std::vector<const ComplexSummaries*> out;
    for (size_t i = 0; i < table.columns.size(); ++i) {
      const ColumnDef& c = table.columns[i];
      if (c.type != ColumnType::kComplex) continue;
      out.resize(table.columns.size());
      auto key = std::make_pair(table.definition_page, c.complex_id);
      auto it = complex_.find(key);
      if (it == complex_.end()) {
        JET_RETURN_IF_ERROR(LoadCatalog());
        JET_ASSIGN_OR_RETURN(auto map, ReadComplexSummaries(store_, text_, *catalog_, table, c));
        it = complex_.emplace(key, std::move(map)).first;
      }
      out[i] = &it->second;
    }
    return out;
  }

  std::unique_ptr<ByteSource> source_;
  Header header_;
  PageStore store_;
  TextDecoder text_;
  std::optional<std::vector<CatalogEntry>> catalog_;
  std::map<std::pair<uint32_t, uint32_t>, ComplexSummaries> complex_;
};

}  // namespace

Result<std::unique_ptr<Database>> OpenDatabase(std::unique_ptr<ByteSource> source,
                                               const OpenOptions& options) {
  std::vector<uint8_t> raw(kHeaderReadSize);
  if (source->size() < raw.size()) {
    return Status::Corruption(source->name() + ": too short to be an Access database (" +
                              std::to_string(source->size()) + " bytes)");
  }
  JET_RETURN_IF_ERROR(source->ReadAt(0, raw.size(), raw.data()));
  JET_ASSIGN_OR_RETURN(Header header, ParseHeader(raw, source->name()));
  if (source->size() < uint64_t{header.format->page_size} * (kCatalogPage + 1)) {
    return Status::Corruption(source->name() + ": file of " + std::to_string(source->size()) +
                              " bytes is too short to hold the catalog");
  }
  JET_ASSIGN_OR_RETURN(auto cipher, UnlockPages(*source, header, options.password));
  return std::unique_ptr<Database>(
      new DatabaseImpl(std::move(source), std::move(header), std::move(cipher)));
}

Result<std::unique_ptr<Database>> Database::Open(const std::string& path,
                                                 const OpenOptions& options) {
  JET_ASSIGN_OR_RETURN(auto file, FileByteSource::Open(path));
  return OpenDatabase(std::move(file), options);
}

}  // namespace jet
