// The engine's public face: open an Access file, list and describe its
// tables, scan their rows and (for writable opens) change them.
//
// Every call returns Status or Result<T>; nothing throws. Messages name the
// file, and where it applies the table, column, page and row involved.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "jet/status.h"
#include "jet/value.h"

namespace jet {

class ByteSource;

// Database::Open only ever reads; writable opens are OpenDatabaseForUpdate's
// (jet/update/writable_database.h), which takes the same options.
struct OpenOptions {
  std::string password;  // ignored for files without a database password
};

struct TableInfo {
  std::string name;
  uint32_t definition_page = 0;
  bool linked = false;  // a link to a table in another file: listed, not readable
};

struct ColumnDef {
  std::string name;
  ColumnType type = ColumnType::kText;
  uint16_t number = 0;  // the column number stored in rows
  uint16_t size = 0;    // bytes in the row (text: twice the characters in Jet 4)
  uint8_t precision = 0;
  uint8_t scale = 0;
  bool fixed = false;
  bool required = false;
  bool auto_number = false;
  bool compressed_unicode = false;
  bool hyperlink = false;
  // Access 2010 and later: the value is an expression's stored result (with
  // a 20-byte prefix in the row); read-only here.
  bool calculated = false;
  // Complex columns (attachments, multi-value): their ComplexID in
  // MSysComplexColumns.
  uint32_t complex_id = 0;
  // Maximum characters for text columns (size in characters), 0 otherwise.
  uint16_t max_chars = 0;
  // Where the value sits in a row: the byte offset among the fixed-length
  // data, or the entry of the variable-length offset table.
  uint16_t fixed_offset = 0;
  uint16_t var_index = 0;
  uint16_t sort_order = 0;  // text columns: collation id stored with the column
  uint8_t sort_order_version = 0;  // Jet 4 text columns: the collation's version byte
  // Calculated columns: the expression, as its column properties hold it;
  // unset when they could not be read.
  std::optional<std::string> expression = std::nullopt;
};

struct IndexColumn {
  size_t column = 0;  // position in TableDef::columns
  bool ascending = true;
};

struct IndexDef {
  std::string name;
  std::vector<IndexColumn> columns;
  bool unique = false;
  bool primary = false;
  bool foreign_key = false;
  bool ignore_nulls = false;
  bool required = false;
  uint32_t number = 0;      // the logical index number
  uint32_t real_index = 0;  // the physical index that holds its entries
  uint32_t root_page = 0;   // first page of the index tree
};

struct TableDef {
  std::string name;
  uint32_t definition_page = 0;
  std::vector<ColumnDef> columns;  // in the order a "Select *" lists them
  std::vector<IndexDef> indexes;
  uint32_t row_count = 0;         // as recorded in the definition
  bool system = false;            // its definition says so, or the catalog hides it
  uint16_t max_columns = 0;       // columns a row may hold, deleted ones included
  uint16_t var_column_count = 0;  // variable-length columns
  // Row pointers (page << 8 | slot) to the usage maps of owned pages and of
  // owned pages with free space.
  uint32_t owned_map = 0;
  uint32_t free_map = 0;
  uint32_t definition_pages = 1;  // pages the definition spans
  // Jet 4: row pointers of the usage maps of memo and OLE columns (owned and
  // free-space map of each), when the definition lists them readably.
  std::vector<uint32_t> long_value_maps;
  bool long_value_maps_known = false;
};

// Where a row lives: its data page and slot. A row that moved keeps the id
// of its original slot.
struct RowId {
  uint32_t page = 0;
  uint16_t slot = 0;
  friend bool operator==(const RowId&, const RowId&) = default;
};

// Scans split a table's pages into runs of this many consecutive entries of
// its page map; several readers can share the runs (Database::ScanPart).
inline constexpr size_t kScanRunPages = 64;

// Walks the live rows of one table in storage order.
class TableCursor {
 public:
  virtual ~TableCursor() = default;
  // Advances to the next live row. Returns false at the end, or a failure.
  virtual Result<bool> Next() = 0;
  // The current row's id (valid after Next() returned true).
  virtual RowId id() const = 0;
  // The current row's value of column `column` (a position in TableDef::columns).
  // Decoded on demand, so a scan that reads one column decodes only that one.
  virtual Result<Value> Get(size_t column) = 0;
  // Appends the text form of the current row's value of `column` (FormatValue
  // in jet/value_text.h) to `out`. Returns false, appending nothing, for
  // NULL. A scan decodes text straight into `out`, without a Value.
  virtual Result<bool> AppendText(size_t column, std::string* out);
  // The same text as UTF-16 code units, appended to `out`: text stored as
  // UTF-16 comes over as stored (a surrogate without its partner too, where
  // AppendText writes U+FFFD), without encoding it as UTF-8.
  virtual Result<bool> AppendUtf16(size_t column, std::u16string* out);
  // The run of pages (kScanRunPages) the current row was found in, counting
  // every run of the table from 0.
  virtual uint64_t run() const { return 0; }
};

class Database {
 public:
  virtual ~Database() = default;

  // Opens `path` for reading; nothing is ever written to it (UpdateRow and
  // batches fail with ReadOnly). Fails with NotFound ("Could not find file
  // '<path>'."), BadPassword ("Not a valid password."), NotSupported (newer
  // formats) or Corruption (a damaged or foreign file).
  static Result<std::unique_ptr<Database>> Open(const std::string& path,
                                                const OpenOptions& options);

  virtual const std::string& path() const = 0;
  // 3 or 4.
  virtual int jet_version() const = 0;

  // User tables in catalog order; system tables and queries are left out.
  virtual Result<std::vector<TableInfo>> ListTables() = 0;
  // The table named `name`, ignoring case; NotFound naming it otherwise.
  virtual Result<TableDef> FindTable(std::string_view name) = 0;
  // A cursor over the live rows of `table`. The database must outlive it.
  virtual Result<std::unique_ptr<TableCursor>> Scan(const TableDef& table) = 0;
  // One share of Scan's rows, for `count` readers working side by side,
  // each with a Database of its own over the same file: the rows of runs
  // `index`, `index` + `count`, `index` + 2 × `count`, ... in storage order.
  // Put together run by run, the shares give Scan's rows in Scan's order.
  // NotSupported where the database cannot share its scans.
  virtual Result<std::unique_ptr<TableCursor>> ScanPart(const TableDef& table, uint32_t index,
                                                        uint32_t count);
  // Every column of one row.
  virtual Result<std::vector<Value>> ReadRow(const TableDef& table, RowId row) = 0;

  // Replaces the given columns of one row and stores it, keeping every index
  // exact; atomic on disk. Fails without writing anything on a value that does
  // not fit its column, a duplicate unique key, or a read-only open.
  virtual Status UpdateRow(const TableDef& table, RowId row,
                           const std::vector<std::pair<size_t, Value>>& changes) = 0;

  // Groups the UpdateRow calls that follow into one atomic step on disk,
  // ended by CommitBatch (durable) or RollbackBatch (undone). A failed
  // update inside a batch changes nothing itself; the rows stored before it
  // stay in the batch and are kept by CommitBatch. Only databases opened for
  // writing support batches (ReadOnly otherwise).
  virtual Status BeginBatch() { return Status::ReadOnly(path() + " is open read-only"); }
  virtual Status CommitBatch() { return Status::ReadOnly(path() + " is open read-only"); }
  virtual Status RollbackBatch() { return Status::ReadOnly(path() + " is open read-only"); }
};

// Database::Open over any byte source (an in-memory image in tests and fuzzing).
// The database owns the source.
Result<std::unique_ptr<Database>> OpenDatabase(std::unique_ptr<ByteSource> source,
                                               const OpenOptions& options);

}  // namespace jet
