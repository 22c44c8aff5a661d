#include "jet/create/row_appender.h"

#include <cstring>

#include "jet/alloc/row_placer.h"
#include "jet/catalog.h"
#include "jet/create/bytes_out.h"
#include "jet/create/header_writer.h"
#include "jet/create/row_encoder.h"
#include "jet/create/table_creator.h"
#include "jet/table_def.h"
#include "jet/text_codec.h"

namespace jet::create {

namespace {

// Definition offsets (Jet 4) of the counters an insert changes.
constexpr size_t kDefRowCount = 16;
constexpr size_t kDefLastAutoNumber = 20;
constexpr size_t kDefFirstIndexCount = 63;
constexpr size_t kDefIndexCountStride = 12;

class LongValueAdapter : public jet::create::LongValueWriter {
 public:
  explicit LongValueAdapter(jet::LongValueWriter* writer) : writer_(writer) {}
  Result<Bytes> Write(size_t, const Bytes& data) override { return writer_->Write(data, false); }

 private:
  jet::LongValueWriter* writer_;
};

}  // namespace

RowAppender::RowAppender(PageStore* store, const Header& header, PageSink* sink)
    : store_(store),
      sink_(sink),
      code_page_(header.code_page),
      editor_(store),
      long_values_(&editor_),
      indexes_(&editor_, header.code_page) {}

Status RowAppender::Append(TableDef* table, const std::vector<Row>& rows) {
  editor_.Clear();
  Status s = AppendRows(table, rows, false);
  if (!s.ok()) {
    editor_.Clear();
    long_values_.Reset();
    return s;
  }
  return Flush();
}

Result<TableDef> RowAppender::CreateTable(const TableSpec& spec) {
  editor_.Clear();
  auto made = [&]() -> Result<TableDef> {
    if (store_->format().version != 4) {
      return Status::NotSupported(store_->file() +
                                  ": creating tables in Access 97 databases is not supported");
    }
    // Access 2007 and later keep more in their table definitions and
    // catalog than we write; rows go into their existing tables only.
    if (store_->format().ace_version != 0) {
      return Status::NotSupported(store_->file() +
                                  ": creating tables in Access 2007-2019 databases (.accdb) is "
                                  "not supported; import into an existing table instead");
    }
    TextDecoder text(store_->format().text_utf16, code_page_);
    JET_ASSIGN_OR_RETURN(CatalogFacts facts, ReadCatalogFacts(*store_, text, spec.name));
    JET_ASSIGN_OR_RETURN(TableDef def, WriteTableStructure(editor_, spec, facts));
    JET_RETURN_IF_ERROR(AppendRows(&facts.catalog, {CatalogRowFor(facts, def, NowAsDays())}, true));
    if (facts.aces) {
      JET_RETURN_IF_ERROR(AppendRows(&*facts.aces, AceRowsFor(facts, def), true));
    }
    return def;
  }();
  if (!made.ok()) {
    editor_.Clear();
    long_values_.Reset();
    return made.status();
  }
  JET_RETURN_IF_ERROR(Flush());
  return made;
}

Status RowAppender::AppendRows(TableDef* table, const std::vector<Row>& rows, bool system_ok) {
  const TableDef& def = *table;
  if (store_->format().version != 4) {
    return Status::NotSupported(store_->file() +
                                ": adding rows to Access 97 databases is not supported");
  }
  if (def.system && !system_ok) {
    return Status::NotSupported(store_->file() + ": table '" + def.name +
                                "' is a system table and is not changed");
  }
  // New rows would need values Access computes (calculated columns) or rows
  // in hidden tables (attachments, multi-value fields).
  for (const ColumnDef& c : def.columns) {
    if (c.calculated || c.type == ColumnType::kComplex) {
      return Status::NotSupported(
          store_->file() + ": table '" + def.name + "': column '" + c.name + "' is " +
          (c.calculated ? "calculated" : "an attachment or multi-value field") +
          "; rows cannot be added to this table");
    }
  }
  JET_ASSIGN_OR_RETURN(ByteView head, editor_.Read(def.definition_page));
  uint32_t row_count = head.U32(kDefRowCount);
  uint32_t last_auto = head.U32(kDefLastAutoNumber);
  LongValueAdapter lv(&long_values_);
  RowPlacer placer(&editor_, table);
  for (size_t r = 0; r < rows.size(); ++r) {
    const RowWhere where{&def.name, r + 1};
    if (rows[r].size() != def.columns.size()) {
      return Status::InvalidArgument(where.Text() + ": " + std::to_string(rows[r].size()) +
                                     " values for " + std::to_string(def.columns.size()) +
                                     " columns");
    }
    Row row = rows[r];
    for (size_t k = 0; k < def.columns.size(); ++k) {
      const ColumnDef& c = def.columns[k];
      if (c.auto_number && c.type == ColumnType::kLong && IsNull(row[k])) {
        if (last_auto >= INT32_MAX) {
          return Status::InvalidArgument(where.Text() + ": column '" + c.name +
                                         "' has run out of numbers");
        }
        row[k] = static_cast<int32_t>(++last_auto);
      }
      JET_ASSIGN_OR_RETURN(row[k], CoerceValue(c, std::move(row[k]), where));
      if (c.auto_number && c.type == ColumnType::kLong) {
        int32_t v = std::get<int32_t>(row[k]);
        if (v > 0 && static_cast<uint32_t>(v) > last_auto) last_auto = static_cast<uint32_t>(v);
      }
    }
    // Keys first: a row that would break an index is refused before it is placed.
    std::vector<std::optional<Bytes>> keys(def.indexes.size());
    for (size_t x = 0; x < def.indexes.size(); ++x) {
      const IndexDef& index = def.indexes[x];
      bool any_null = false;
      for (const IndexColumn& ic : index.columns) any_null = any_null || IsNull(row[ic.column]);
      if ((index.required || index.primary) && any_null) {
        return Status::Constraint(where.Text() + ": index '" + index.name +
                                  "' does not allow empty values");
      }
      auto key = indexes_.KeyFor(def, index, row);
      if (!key.ok()) return key.status().WithContext(where.Text());
      keys[x] = std::move(key).value();
      if (keys[x] && index.unique && !any_null) {
        JET_ASSIGN_OR_RETURN(bool taken, indexes_.HasOther(index, *keys[x], RowId{0, 0}));
        if (taken) {
          return Status::Constraint(
              where.Text() + ": the value duplicates a key of unique index '" + index.name + "'");
        }
      }
    }
    JET_ASSIGN_OR_RETURN(Bytes bytes, EncodeRow(def, row, &lv, where));
    JET_ASSIGN_OR_RETURN(RowId id, placer.Place(ByteView{bytes.data(), bytes.size()}, 0));
    for (size_t x = 0; x < def.indexes.size(); ++x) {
      if (!keys[x]) continue;
      IndexChange change;
      change.index = &def.indexes[x];
      change.row = id;
      change.new_key = std::move(keys[x]);
      JET_RETURN_IF_ERROR(indexes_.Apply(def, change));
    }
  }
  JET_ASSIGN_OR_RETURN(uint8_t * p, editor_.Edit(def.definition_page));
  row_count += static_cast<uint32_t>(rows.size());
  Put32(p + kDefRowCount, row_count);
  Put32(p + kDefLastAutoNumber, last_auto);
  // The per-index row counts follow the header; they lie on the first page for
  // any table with fewer than 300 indexes.
  uint32_t real_count = ByteView{p, editor_.page_size()}.U32(store_->format().tdef_real_indexes);
  for (uint32_t i = 0; i < real_count; ++i) {
    size_t at = kDefFirstIndexCount + i * kDefIndexCountStride + 4;
    if (at + 4 <= editor_.page_size()) Put32(p + at, row_count);
  }
  table->row_count = row_count;
  return Status::Ok();
}

Status RowAppender::Flush() {
  std::vector<uint8_t> raw;
  for (const auto& [page, decoded] : editor_.changes()) {
    raw = decoded;
    Status s = store_->Encode(page, raw.data());
    if (s.ok()) s = sink_->WritePage(page, raw.data());
    if (!s.ok()) {
      editor_.Clear();
      long_values_.Reset();
      return s;
    }
  }
  for (const auto& [page, decoded] : editor_.changes()) store_->Replace(page, decoded);
  editor_.Clear();
  return Status::Ok();
}

struct FileAppender::Impl {
  std::unique_ptr<WriteSession> write;
  std::unique_ptr<RowAppender> appender;
};

FileAppender::FileAppender(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
FileAppender::~FileAppender() = default;

Result<std::unique_ptr<FileAppender>> FileAppender::Open(const std::string& path,
                                                         const WriteOptions& options) {
  auto impl = std::make_unique<Impl>();
  JET_ASSIGN_OR_RETURN(impl->write, WriteSession::Open(path, options));
  JET_RETURN_IF_ERROR(impl->write->Begin());
  impl->appender = std::make_unique<RowAppender>(&impl->write->store(), impl->write->header(),
                                                 &impl->write->sink());
  return std::unique_ptr<FileAppender>(new FileAppender(std::move(impl)));
}

Result<TableDef> FileAppender::FindTable(std::string_view name) {
  // Definitions change as rows and tables are added: read them afresh.
  JET_RETURN_IF_ERROR(impl_->write->RefreshReader());
  return impl_->write->reader().FindTable(name);
}

Status FileAppender::Append(TableDef* table, const std::vector<Row>& rows) {
  return impl_->appender->Append(table, rows);
}

Result<TableDef> FileAppender::CreateTable(const TableSpec& spec) {
  return impl_->appender->CreateTable(spec);
}

Status FileAppender::Commit() {
  JET_RETURN_IF_ERROR(impl_->write->Commit());
  return impl_->write->Begin();
}

}  // namespace jet::create
