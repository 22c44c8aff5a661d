// A provider over tables held in memory, for tests and tools: "files" are
// names in a catalog, each a small database with tables of rows. It
// answers the same statements and fails with the same descriptions as the
// engine's provider.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/provider/provider.h"

namespace provider {

struct MemoryTable {
  std::string name;
  std::vector<ColumnInfo> columns;
  std::vector<std::vector<Variant>> rows;
};

struct MemoryDatabase {
  std::string password;
  bool locked = false;   // opening fails as a file in use
  bool damaged = false;  // opening fails as an unrecognised format
  bool read_only = false;
  std::vector<MemoryTable> tables;
  // Counters for tests: rows decoded by Read, values looked at by conditions,
  // rows written.
  int64_t rows_read = 0;
  int64_t values_tested = 0;
  int64_t rows_written = 0;
  // Batches: whether one is open, how many were committed, and rows written
  // while none was open.
  bool in_batch = false;
  int64_t batches_committed = 0;
  int64_t rows_written_outside_batch = 0;
  // Rows added and removed through rowsets.
  int64_t rows_inserted = 0;
  int64_t rows_deleted = 0;
  // When set, the next Write, Insert or Delete fails with this description
  // (and is cleared).
  std::string fail_next_write;

  // Rowsets open over this database. A removed row is taken out of every
  // one of them, so that their row numbers keep naming the same rows.
  struct RowsetObserver {
    virtual ~RowsetObserver() = default;
    virtual void TableRowRemoved(size_t table, size_t row) = 0;
  };
  std::vector<RowsetObserver*> open_rowsets;

  MemoryTable& AddTable(std::string name, std::vector<ColumnInfo> columns);
  MemoryTable* Find(const std::string& name);
};

// Databases by file name.
using MemoryCatalog = std::map<std::string, std::shared_ptr<MemoryDatabase>>;

class MemoryProvider : public Provider {
 public:
  explicit MemoryProvider(std::shared_ptr<MemoryCatalog> catalog) : catalog_(std::move(catalog)) {}
  // Fails as the engine does: "Could not find file '<name>'.", "Not a valid
  // password.", a file in use, an unrecognised format.
  std::unique_ptr<Store> Open(const ConnectionSettings& settings) override;

 private:
  std::shared_ptr<MemoryCatalog> catalog_;
};

// A column description in one call, for building tables.
ColumnInfo MemoryColumn(std::string name, int type, int64_t size = 0, bool updatable = true);

}  // namespace provider
