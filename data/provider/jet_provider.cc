#include "data/provider/jet_provider.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>
#include <limits>
#include <optional>
#include <thread>

#include "data/provider/ado.h"
#include "data/provider/instr.h"
#include "data/provider/registry.h"
#include "data/provider/sql.h"
#include "jet/database.h"
#include "jet/io/byte_source.h"
#include "jet/jet.h"
#include "jet/value_text.h"
#include "text/case_fold.h"
#include "text/number_text.h"

namespace provider {
namespace {

using jet::ColumnType;

// --- Descriptions ------------------------------------------------------------

ColumnInfo Describe(const jet::ColumnDef& c, int jet_version) {
  ColumnInfo info;
  info.name = c.name;
  info.auto_increment = c.auto_number;
  uint32_t attributes = adFldIsNullable | adFldMayBeNull;
  if (c.required) attributes &= ~static_cast<uint32_t>(adFldIsNullable | adFldMayBeNull);
  if (!c.auto_number) attributes |= adFldUpdatable;
  if (c.fixed) attributes |= adFldFixed;
  switch (c.type) {
    case ColumnType::kBoolean:
      info.type = adBoolean, info.defined_size = 2;
      attributes &= ~static_cast<uint32_t>(adFldIsNullable | adFldMayBeNull);
      break;
    case ColumnType::kByte:
      info.type = adUnsignedTinyInt, info.defined_size = 1, info.precision = 3;
      break;
    case ColumnType::kInteger:
      info.type = adSmallInt, info.defined_size = 2, info.precision = 5;
      break;
    case ColumnType::kLong:
      info.type = adInteger, info.defined_size = 4, info.precision = 10;
      break;
    case ColumnType::kCurrency:
      info.type = adCurrency, info.defined_size = 8, info.precision = 19, info.scale = 255;
      break;
    case ColumnType::kSingle:
      info.type = adSingle, info.defined_size = 4, info.precision = 7;
      break;
    case ColumnType::kDouble:
      info.type = adDouble, info.defined_size = 8, info.precision = 15;
      break;
    case ColumnType::kDateTime:
      info.type = adDate, info.defined_size = 8;
      break;
    case ColumnType::kBinary:
      info.type = adVarBinary, info.defined_size = c.size;
      break;
    case ColumnType::kText:
      info.type = adVarWChar;
      info.defined_size = c.max_chars ? c.max_chars : (jet_version >= 4 ? c.size / 2 : c.size);
      break;
    case ColumnType::kOle:
      info.type = adLongVarBinary, info.defined_size = std::numeric_limits<int32_t>::max();
      attributes |= adFldLong;
      break;
    case ColumnType::kMemo:
      info.type = adLongVarWChar, info.defined_size = std::numeric_limits<int32_t>::max() / 2;
      attributes |= adFldLong;
      break;
    case ColumnType::kGuid:
      info.type = adGUID, info.defined_size = 16;
      break;
    case ColumnType::kNumeric:
      info.type = adNumeric, info.defined_size = 19;
      info.precision = c.precision, info.scale = c.scale;
      break;
    case ColumnType::kBigInt:
      info.type = adBigInt, info.defined_size = 8, info.precision = 19;
      break;
    case ColumnType::kExtendedDateTime:  // shown as its text, to the 100 ns
      info.type = adVarWChar, info.defined_size = 27;
      break;
    case ColumnType::kComplex:  // a read-only summary of the attached rows
      info.type = adLongVarWChar, info.defined_size = std::numeric_limits<int32_t>::max() / 2;
      attributes |= adFldLong;
      break;
  }
  // Expression results and complex values are not the field's own to change.
  if (c.calculated || c.type == ColumnType::kComplex) {
    attributes &= ~static_cast<uint32_t>(adFldUpdatable);
  }
  info.attributes = attributes;
  return info;
}

// --- Values ------------------------------------------------------------------

Variant ToVariant(const jet::Value& v) {
  struct Visitor {
    Variant operator()(std::monostate) const { return {}; }
    Variant operator()(bool b) const { return b; }
    Variant operator()(uint8_t i) const { return int64_t{i}; }
    Variant operator()(int16_t i) const { return int64_t{i}; }
    Variant operator()(int32_t i) const { return int64_t{i}; }
    Variant operator()(float f) const { return static_cast<double>(f); }
    Variant operator()(double d) const { return d; }
    Variant operator()(const jet::Currency& c) const { return c; }
    Variant operator()(const jet::Decimal& d) const { return d; }
    Variant operator()(const jet::DateTime& d) const { return d; }
    Variant operator()(const std::string& s) const { return s; }
    Variant operator()(const jet::Bytes& b) const { return b; }
    Variant operator()(const jet::Guid& g) const { return g; }
    Variant operator()(int64_t i) const { return i; }
    Variant operator()(const jet::ExtendedDateTime& d) const {
      return jet::FormatExtendedDateTime(d);
    }
  };
  return std::visit(Visitor{}, v);
}

[[noreturn]] void Mismatch(const jet::ColumnDef& c) {
  throw ProviderError("Data type mismatch in criteria expression. (column '" + c.name + "')");
}

std::optional<double> NumberOf(const Variant& v) {
  if (auto* i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
  if (auto* d = std::get_if<double>(&v)) return *d;
  if (auto* b = std::get_if<bool>(&v)) return *b ? -1.0 : 0.0;
  if (auto* c = std::get_if<Currency>(&v)) return static_cast<double>(c->scaled) / 10000;
  if (auto* d = std::get_if<DateTime>(&v)) return d->days;
  if (auto* d = std::get_if<Decimal>(&v)) return text::ParseFloat(DecimalToString(*d), '.');
  return std::nullopt;
}

// A value scaled by 10^scale as an integer, from the variants a field writes.
std::optional<__int128> Scaled(const Variant& v, int scale) {
  __int128 pow = 1;
  for (int i = 0; i < scale; ++i) pow *= 10;
  if (auto* i = std::get_if<int64_t>(&v)) return static_cast<__int128>(*i) * pow;
  if (auto* d = std::get_if<Decimal>(&v)) {
    // Exact: rescale the 96-bit magnitude, rounding half away from zero.
    __int128 m = (static_cast<__int128>(d->magnitude[2]) << 64) |
                 (static_cast<__int128>(d->magnitude[1]) << 32) | d->magnitude[0];
    for (int s = d->scale; s < scale; ++s) m *= 10;
    for (int s = d->scale; s > scale; --s) m = (m + (s == scale + 1 ? 5 : 0)) / 10;
    return d->negative ? -m : m;
  }
  if (auto* c = std::get_if<Currency>(&v)) {
    __int128 x = static_cast<__int128>(c->scaled) * pow;
    __int128 q = x / 10000, r = x % 10000;
    if (r * 2 >= 10000) ++q;
    if (r * 2 <= -10000) --q;
    return q;
  }
  if (auto n = NumberOf(v)) {
    double x = std::round(*n * static_cast<double>(pow));
    if (!std::isfinite(x) || std::fabs(x) > 7.9e28) return std::nullopt;
    return static_cast<__int128>(x);
  }
  return std::nullopt;
}

int64_t IntegerOf(const Variant& v, const jet::ColumnDef& c, int64_t min, int64_t max) {
  std::optional<double> n = NumberOf(v);
  if (!n) Mismatch(c);
  double r = std::round(*n);
  if (!(r >= static_cast<double>(min) && r <= static_cast<double>(max))) {
    throw ProviderError("Overflow (column '" + c.name + "')");
  }
  return static_cast<int64_t>(r);
}

jet::Value ToJet(const Variant& v, const jet::ColumnDef& c) {
  if (IsNull(v)) return std::monostate{};
  switch (c.type) {
    case ColumnType::kBoolean:
      if (auto* b = std::get_if<bool>(&v)) return *b;
      if (auto n = NumberOf(v)) return *n != 0;
      Mismatch(c);
    case ColumnType::kByte:
      return static_cast<uint8_t>(IntegerOf(v, c, 0, 255));
    case ColumnType::kInteger:
      return static_cast<int16_t>(IntegerOf(v, c, INT16_MIN, INT16_MAX));
    case ColumnType::kLong:
      return static_cast<int32_t>(IntegerOf(v, c, INT32_MIN, INT32_MAX));
    case ColumnType::kBigInt: {
      if (auto* i = std::get_if<int64_t>(&v)) return *i;
      std::optional<double> n = NumberOf(v);
      if (!n) Mismatch(c);
      const double r = std::round(*n);
      // 2^63 itself does not fit: the upper bound is exclusive.
      if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) {
        throw ProviderError("Overflow (column '" + c.name + "')");
      }
      return static_cast<int64_t>(r);
    }
    case ColumnType::kComplex:
    case ColumnType::kExtendedDateTime:
      throw ProviderError("Field '" + c.name + "' cannot be updated.");
    case ColumnType::kSingle: {
      std::optional<double> n = NumberOf(v);
      if (!n) Mismatch(c);
      if (std::fabs(*n) > std::numeric_limits<float>::max()) {
        throw ProviderError("Overflow (column '" + c.name + "')");
      }
      return static_cast<float>(*n);
    }
    case ColumnType::kDouble: {
      std::optional<double> n = NumberOf(v);
      if (!n) Mismatch(c);
      return *n;
    }
    case ColumnType::kCurrency: {
      std::optional<__int128> s = Scaled(v, 4);
      if (!s || *s > INT64_MAX || *s < INT64_MIN) {
        throw ProviderError("Overflow (column '" + c.name + "')");
      }
      return jet::Currency{static_cast<int64_t>(*s)};
    }
    case ColumnType::kNumeric: {
      std::optional<__int128> s = Scaled(v, c.scale);
      if (!s) throw ProviderError("Overflow (column '" + c.name + "')");
      jet::Decimal d;
      d.negative = *s < 0;
      d.scale = c.scale;
      unsigned __int128 m =
          d.negative ? static_cast<unsigned __int128>(-*s) : static_cast<unsigned __int128>(*s);
      d.magnitude = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32),
                     static_cast<uint32_t>(m >> 64)};
      if ((m >> 96) != 0) throw ProviderError("Overflow (column '" + c.name + "')");
      return d;
    }
    case ColumnType::kDateTime: {
      std::optional<double> n = NumberOf(v);
      if (!n) Mismatch(c);
      return jet::DateTime{*n};
    }
    case ColumnType::kText:
    case ColumnType::kMemo:
      if (auto* s = std::get_if<std::string>(&v)) return *s;
      return VariantToText(v);
    case ColumnType::kBinary:
    case ColumnType::kOle:
      if (auto* b = std::get_if<Bytes>(&v)) return *b;
      if (auto* s = std::get_if<std::string>(&v)) return jet::Bytes(s->begin(), s->end());
      Mismatch(c);
    case ColumnType::kGuid: {
      if (auto* g = std::get_if<Guid>(&v)) return *g;
      if (auto* s = std::get_if<std::string>(&v)) {
        unsigned p[11];
        if (s->size() == 38 &&
            std::sscanf(s->c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &p[0], &p[1], &p[2],
                        &p[3], &p[4], &p[5], &p[6], &p[7], &p[8], &p[9], &p[10]) == 11) {
          jet::Guid g;
          for (int i = 0; i < 4; ++i) g.bytes[i] = static_cast<uint8_t>(p[0] >> (8 * i));
          for (int i = 0; i < 2; ++i) g.bytes[4 + i] = static_cast<uint8_t>(p[1] >> (8 * i));
          for (int i = 0; i < 2; ++i) g.bytes[6 + i] = static_cast<uint8_t>(p[2] >> (8 * i));
          for (int i = 0; i < 8; ++i) g.bytes[8 + i] = static_cast<uint8_t>(p[3 + i]);
          return g;
        }
      }
      Mismatch(c);
    }
  }
  Mismatch(c);
}

// --- Rowset and store ---------------------------------------------------------

class JetRowset : public Rowset {
 public:
  // `read_only_reason` is empty when the file was opened for writing, and
  // otherwise says why it was not (it names the file).
  JetRowset(std::shared_ptr<jet::Database> db, jet::TableDef table, std::vector<jet::RowId> rows,
            std::string read_only_reason)
      : db_(std::move(db)),
        table_(std::move(table)),
        rows_(std::move(rows)),
        read_only_reason_(std::move(read_only_reason)) {
    for (const jet::ColumnDef& c : table_.columns) {
      columns_.push_back(Describe(c, db_->jet_version()));
    }
    // The primary key's columns are marked, so that callers can name a row.
    for (const jet::IndexDef& index : table_.indexes) {
      if (!index.primary) continue;
      for (const jet::IndexColumn& k : index.columns) {
        if (k.column < columns_.size()) columns_[k.column].attributes |= adFldKeyColumn;
      }
    }
  }

  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  int64_t size() const override { return static_cast<int64_t>(rows_.size()); }

  std::vector<Variant> Read(int64_t row) override {
    auto values = db_->ReadRow(table_, rows_.at(static_cast<size_t>(row)));
    if (!values.ok()) throw ProviderError(values.status().message());
    std::vector<Variant> out;
    out.reserve(values->size());
    for (jet::Value& v : *values) {
      // Text moves over rather than being copied.
      if (auto* s = std::get_if<std::string>(&v)) {
        out.emplace_back(std::move(*s));
      } else {
        out.push_back(ToVariant(v));
      }
    }
    return out;
  }

  void Write(int64_t row, const RowChanges& changes) override {
    if (std::string refusal = WriteRefusal(); !refusal.empty()) {
      throw ProviderError(refusal, static_cast<int32_t>(0x80004005u));
    }
    std::vector<std::pair<size_t, jet::Value>> jet_changes;
    for (const auto& [column, value] : changes) {
      if (column >= table_.columns.size()) {
        throw ProviderError("Item cannot be found in the collection.");
      }
      const jet::ColumnDef& c = table_.columns[column];
      if (c.auto_number) throw ProviderError("Field '" + c.name + "' is not updatable.");
      jet_changes.emplace_back(column, ToJet(value, c));
    }
    jet::Status s = db_->UpdateRow(table_, rows_.at(static_cast<size_t>(row)), jet_changes);
    if (!s.ok()) throw ProviderError(s.message());
  }

  // Text, as the engine stores it in Unicode, reads back byte for byte;
  // code-page text and other types may be normalised on the way.
  bool ReadsBackAsWritten(size_t column, const Variant& value) const override {
    if (column >= table_.columns.size() || db_->jet_version() < 4) return false;
    const jet::ColumnDef& c = table_.columns[column];
    return (c.type == ColumnType::kText || c.type == ColumnType::kMemo) && !c.calculated &&
           std::holds_alternative<std::string>(value);
  }

  // Rows of a file opened for reading still take edits: the file refuses
  // them when a row is stored, with a message that says which file and why.
  bool updatable() const override { return true; }

  std::string WriteRefusal() const override {
    if (read_only_reason_.empty()) return {};
    return "Cannot update. Database or object is read-only. " + read_only_reason_;
  }

 private:
  std::shared_ptr<jet::Database> db_;
  jet::TableDef table_;
  std::vector<jet::RowId> rows_;
  std::string read_only_reason_;
  std::vector<ColumnInfo> columns_;
};

// Rows read between two reports of a scan's progress.
constexpr int64_t kScanProgressRows = 1024;
// Tables with fewer rows recorded are filtered by one thread: a second open
// of the file costs more than it saves.
constexpr uint32_t kParallelFilterRows = 50000;

// Room for the rows of a table of `recorded` rows (the count its definition
// holds, a guide only), so that a list of a million rows is not copied as it
// grows. Room not filled costs address space only; a damaged count asks
// for no more than this.
size_t RowsGuess(int64_t recorded) {
  constexpr int64_t kMostReserved = int64_t{1} << 24;
  return static_cast<size_t>(std::clamp<int64_t>(recorded, 0, kMostReserved));
}

// Which rows a statement's condition selects, one row at a time.
class RowFilter {
 public:
  RowFilter(const SelectStatement& st, const jet::TableDef& table, size_t field)
      : st_(st), field_(field) {
    if (!st.where) return;
    matcher_.emplace(st.where->start, st.where->text);
    text_field_ = table.columns[field].type == jet::ColumnType::kText ||
                  table.columns[field].type == jet::ColumnType::kMemo;
    units_first_ = text_field_ && matcher_->matches_utf16();
  }

  // Whether the cursor's current row is selected; throws ProviderError.
  bool Selects(jet::TableCursor& cursor) {
    if (!st_.where) return true;
    if (units_first_) {
      // Text stored as UTF-16 is searched as it is, unless a character
      // there could fold into the pattern; then as UTF-8, below.
      units_.clear();
      auto present = cursor.AppendUtf16(field_, &units_);
      if (!present.ok()) throw ProviderError(present.status().message());
      if (!*present) return false;
      if (std::optional<bool> found = matcher_->MatchesUtf16(units_)) return *found;
    }
    if (text_field_) {
      // Only the condition's column is decoded here, into one buffer for
      // every row. NULL is never selected.
      text_.clear();
      auto present = cursor.AppendText(field_, &text_);
      if (!present.ok()) throw ProviderError(present.status().message());
      return *present && matcher_->Matches(text_);
    }
    auto value = cursor.Get(field_);
    if (!value.ok()) throw ProviderError(value.status().message());
    return InStrSelects(*st_.where, ToVariant(*value));
  }

 private:
  const SelectStatement& st_;
  size_t field_;
  bool text_field_ = false;
  bool units_first_ = false;  // the matcher can answer on UTF-16 units
  std::optional<InStrMatcher> matcher_;
  std::string text_;
  std::u16string units_;
};

// The rows one reader selected from its share of a table's runs of pages,
// and how its scan ended.
struct ShareRows {
  // Rows between two updates of `scanned`. The other reader's thread reads
  // the count: updating it for every row would pass its cache line between
  // the cores a million times in a scan.
  static constexpr int64_t kCountEvery = 256;

  std::vector<jet::RowId> rows;
  std::vector<std::pair<uint64_t, size_t>> runs;  // run, index of its first row
  std::atomic<int64_t> scanned{0};
  bool failed = false;
  uint64_t failed_run = 0;  // the run being read when the scan failed
  std::string failure;

  // Scans to the end, a failure, or until `stop` is set; `each_batch` (when
  // set) is called whenever `scanned` has been updated.
  void Scan(jet::TableCursor& cursor, RowFilter& filter, const std::atomic<bool>& stop,
            const std::function<void()>& each_batch) {
    int64_t count = 0;
    try {
      while (!stop.load(std::memory_order_relaxed)) {
        auto more = cursor.Next();
        if (!more.ok()) throw ProviderError(more.status().message());
        if (!*more) break;
        ++count;
        const uint64_t run = cursor.run();
        if (filter.Selects(cursor)) {
          if (runs.empty() || runs.back().first != run) runs.emplace_back(run, rows.size());
          rows.push_back(cursor.id());
        }
        if (count % kCountEvery == 0) {
          scanned.store(count, std::memory_order_relaxed);
          if (each_batch) each_batch();
        }
      }
    } catch (const std::exception& e) {
      // Nothing may leave a reader's thread: the failure is told as the
      // scan's, when its turn comes.
      failed = true;
      failed_run = cursor.run();  // the run of the row or page that failed
      failure = e.what();
    }
    scanned.store(count, std::memory_order_relaxed);
  }
};

class JetStore : public Store {
 public:
  // `read_only_reason` as for JetRowset: empty for a file open for writing.
  // `password` opens the file again for a second reader.
  JetStore(std::shared_ptr<jet::Database> db, std::string read_only_reason, std::string password)
      : db_(std::move(db)),
        writable_(read_only_reason.empty()),
        read_only_reason_(std::move(read_only_reason)),
        password_(std::move(password)) {}

  std::unique_ptr<Rowset> Execute(const std::string& statement) override {
    return ExecuteWithProgress(statement, nullptr);
  }

  std::unique_ptr<Rowset> ExecuteWithProgress(const std::string& statement,
                                              const ScanProgressFn& progress) override {
    SelectStatement st = ParseSelect(statement);
    auto table = db_->FindTable(st.table);
    if (!table.ok()) {
      if (table.status().IsNotFound()) throw ProviderError(UnknownTableMessage(st.table));
      throw ProviderError(table.status().message());
    }
    size_t field = table->columns.size();
    if (st.where) {
      for (size_t i = 0; i < table->columns.size(); ++i) {
        if (text::EqualsIgnoreCase(table->columns[i].name, st.where->field)) field = i;
      }
      if (field == table->columns.size()) throw ProviderError(kMissingParameter);
    }
    RowFilter filter(st, *table, field);
    std::vector<jet::RowId> rows;
    if (!st.where || !ScanSideBySide(*table, filter, progress, &rows)) {
      if (!st.where) rows.reserve(RowsGuess(table->row_count));
      auto cursor = db_->Scan(*table);
      if (!cursor.ok()) throw ProviderError(cursor.status().message());
      // The count in the definition is what Access last recorded: a guide for
      // the progress shown, never trusted below the rows actually read.
      const int64_t recorded = table->row_count;
      int64_t scanned = 0;
      for (;;) {
        auto more = (*cursor)->Next();
        if (!more.ok()) throw ProviderError(more.status().message());
        if (!*more) break;
        if (progress && ++scanned % kScanProgressRows == 0) {
          progress(scanned, std::max(recorded, scanned));
        }
        if (filter.Selects(**cursor)) rows.push_back((*cursor)->id());
      }
      if (progress) progress(scanned, scanned);
    }
    return std::make_unique<JetRowset>(db_, std::move(*table), std::move(rows), read_only_reason_);
  }

  std::vector<std::string> TableNames() override {
    auto tables = db_->ListTables();
    if (!tables.ok()) throw ProviderError(tables.status().message());
    std::vector<std::string> names;
    for (const jet::TableInfo& t : *tables) {
      if (!t.linked) names.push_back(t.name);
    }
    return names;
  }

  // A batch is one journaled transaction of the engine: one flush for all
  // its rows instead of one per row.
  void BeginBatch() override {
    if (!writable_) return;
    jet::Status s = db_->BeginBatch();
    if (!s.ok()) throw ProviderError(s.message());
    in_batch_ = true;
  }
  void CommitBatch() override {
    if (!writable_) return;
    in_batch_ = false;
    jet::Status s = db_->CommitBatch();
    if (!s.ok()) throw ProviderError(s.message());
  }

 private:
  // A filter over a large table runs on two cores: two more opens of the
  // file read alternate runs of its pages side by side, and their rows are
  // put together run by run, in storage order, as one scan would list them;
  // a failure is the one a single scan would meet first. False (nothing
  // done) where that cannot be: one core, a small table, a batch whose
  // pages are not all in the file yet, or a file that does not open again.
  bool ScanSideBySide(const jet::TableDef& table, const RowFilter& filter,
                      const ScanProgressFn& progress, std::vector<jet::RowId>* rows) {
    constexpr uint32_t kReaders = 2;
    if (in_batch_ || table.row_count < kParallelFilterRows ||
        std::thread::hardware_concurrency() < kReaders) {
      return false;
    }
    struct Reader {
      std::unique_ptr<jet::Database> db;
      std::unique_ptr<jet::TableCursor> cursor;
      std::optional<RowFilter> filter;
      ShareRows found;
    };
    std::vector<std::unique_ptr<Reader>> readers;
    for (uint32_t i = 0; i < kReaders; ++i) {
      auto source = jet::FileByteSource::Open(db_->path());
      if (!source.ok()) return false;
      jet::OpenOptions options;
      options.password = password_;
      auto db = jet::OpenDatabase(std::move(source).value(), options);
      if (!db.ok()) return false;
      auto cursor = (*db)->ScanPart(table, i, kReaders);
      if (!cursor.ok()) return false;
      auto r = std::make_unique<Reader>();
      r->db = std::move(db).value();
      r->cursor = std::move(cursor).value();
      r->filter.emplace(filter);
      r->found.rows.reserve(RowsGuess(table.row_count) / kReaders);
      readers.push_back(std::move(r));
    }
    std::atomic<bool> stop{false};
    std::thread helper(
        [&r = *readers[1], &stop] { r.found.Scan(*r.cursor, *r.filter, stop, nullptr); });
    // Stops and waits for the helper however this thread leaves.
    struct Join {
      std::thread& thread;
      std::atomic<bool>& stop;
      ~Join() {
        stop = true;
        if (thread.joinable()) thread.join();
      }
    } join{helper, stop};
    std::function<void()> tell;
    int64_t told = 0;
    if (progress) {
      // Progress is told from this thread only, between its own rows.
      tell = [&] {
        const int64_t scanned = readers[0]->found.scanned + readers[1]->found.scanned;
        if (scanned - told < kScanProgressRows) return;
        told = scanned;
        progress(scanned, std::max<int64_t>(table.row_count, scanned));
      };
    }
    std::atomic<bool> never{false};
    readers[0]->found.Scan(*readers[0]->cursor, *readers[0]->filter, never, tell);
    // The helper goes on to its end: the answer needs all of its share.
    helper.join();
    // Run by run from the share that holds it, until a share failed in that
    // run or both have given all their runs.
    rows->reserve(readers[0]->found.rows.size() + readers[1]->found.rows.size());
    std::vector<size_t> next(kReaders, 0);
    for (uint64_t run = 0;; ++run) {
      ShareRows& share = readers[run % kReaders]->found;
      size_t& n = next[run % kReaders];
      if (n < share.runs.size() && share.runs[n].first == run) {
        const size_t end = n + 1 < share.runs.size() ? share.runs[n + 1].second : share.rows.size();
        rows->insert(rows->end(), share.rows.begin() + static_cast<std::ptrdiff_t>(share.runs[n].second),
                     share.rows.begin() + static_cast<std::ptrdiff_t>(end));
        ++n;
      }
      if (share.failed && share.failed_run == run) throw ProviderError(share.failure);
      bool more = false;
      for (uint32_t i = 0; i < kReaders; ++i) {
        const ShareRows& s = readers[i]->found;
        more = more || next[i] < s.runs.size() || (s.failed && s.failed_run > run);
      }
      if (!more) break;
    }
    if (progress) {
      const int64_t scanned = readers[0]->found.scanned + readers[1]->found.scanned;
      progress(scanned, scanned);
    }
    return true;
  }

  std::shared_ptr<jet::Database> db_;
  bool writable_;
  std::string read_only_reason_;
  std::string password_;
  bool in_batch_ = false;
};

std::string OpenFailure(const jet::Status& s, const std::string& path) {
  switch (s.code()) {
    case jet::Status::Code::kNotFound:
    case jet::Status::Code::kBadPassword:
      return s.message();
    case jet::Status::Code::kCorruption:
    case jet::Status::Code::kNotSupported:
      return "Unrecognized database format '" + path + "'.";
    case jet::Status::Code::kLocked:
      return "Could not use '" + path + "'; file already in use.";
    default:
      return s.message();
  }
}

// Why a file that could not be opened for writing is read-only, as a
// sentence that names the file.
std::string ReadOnlyReason(const jet::Status& s, const std::string& path) {
  std::string reason = s.message();
  if (reason.empty()) reason = "The file '" + path + "' cannot be written.";
  if (reason.find(path) == std::string::npos) reason = "'" + path + "': " + reason;
  if (reason.back() != '.') reason += '.';
  return reason;
}

class JetProvider : public Provider {
 public:
  std::unique_ptr<Store> Open(const ConnectionSettings& settings) override {
    jet::OpenOptions options;
    options.password = settings.password;
    const int access = settings.mode & adModeReadWrite;
    // Writable unless the mode asks for reading only; a file or engine that
    // cannot be written falls back to reading, as the mode allows.
    std::string read_only_reason =
        "The database '" + settings.data_source + "' was opened for reading only.";
    if (access != adModeRead) {
      jet::WriteOptions write;
      write.password = settings.password;
      auto db = jet::OpenDatabaseForUpdate(settings.data_source, write);
      if (db.ok()) {
        return std::make_unique<JetStore>(std::move(db).value(), std::string(), settings.password);
      }
      const jet::Status& s = db.status();
      // Another writer (Access, another window of this program) leaves the
      // file readable: show it, and say why Modify is refused.
      const bool fall_back = s.code() == jet::Status::Code::kReadOnly ||
                             (s.code() == jet::Status::Code::kLocked && access != adModeWrite) ||
                             (s.code() == jet::Status::Code::kNotSupported && access == 0);
      if (!fall_back) throw ProviderError(OpenFailure(s, settings.data_source));
      read_only_reason = ReadOnlyReason(s, settings.data_source);
    }
    auto db = jet::OpenDatabaseForReading(settings.data_source, options);
    if (!db.ok()) throw ProviderError(OpenFailure(db.status(), settings.data_source));
    return std::make_unique<JetStore>(std::move(db).value(), std::move(read_only_reason),
                                      settings.password);
  }
};

}  // namespace

std::unique_ptr<Provider> MakeJetProvider() { return std::make_unique<JetProvider>(); }

void RegisterJetProvider() { RegisterProviderIfAbsent(kJetProviderName, MakeJetProvider); }

}  // namespace provider
