#include "data/provider/memory_provider.h"

#include "data/provider/ado.h"
#include "data/provider/sql.h"
#include "data/provider/text_case.h"

namespace provider {
namespace {

class MemoryRowset : public Rowset {
 public:
  MemoryRowset(std::shared_ptr<MemoryDatabase> db, size_t table, std::vector<size_t> rows)
      : db_(std::move(db)), table_(table), rows_(std::move(rows)) {}

  const std::vector<ColumnInfo>& columns() const override { return db_->tables[table_].columns; }
  int64_t size() const override { return static_cast<int64_t>(rows_.size()); }

  std::vector<Variant> Read(int64_t row) override {
    ++db_->rows_read;
    return db_->tables[table_].rows.at(rows_.at(static_cast<size_t>(row)));
  }

  void Write(int64_t row, const RowChanges& changes) override {
    if (!updatable()) {
      throw ProviderError("Cannot update. Database or object is read-only.");
    }
    if (!db_->fail_next_write.empty()) {
      std::string message = std::move(db_->fail_next_write);
      db_->fail_next_write.clear();
      throw ProviderError(message);
    }
    MemoryTable& t = db_->tables[table_];
    std::vector<Variant>& values = t.rows.at(rows_.at(static_cast<size_t>(row)));
    for (const auto& [col, v] : changes) {
      if (col >= t.columns.size()) throw ProviderError("Item cannot be found in the collection.");
      const ColumnInfo& c = t.columns[col];
      if ((c.attributes & (adFldUpdatable | adFldUnknownUpdatable)) == 0 || c.auto_increment) {
        throw ProviderError("Field '" + c.name + "' is not updatable.");
      }
    }
    for (const auto& [col, v] : changes) values[col] = v;
    ++db_->rows_written;
    if (!db_->in_batch) ++db_->rows_written_outside_batch;
  }

  bool updatable() const override { return !db_->read_only; }

 private:
  std::shared_ptr<MemoryDatabase> db_;
  size_t table_;
  std::vector<size_t> rows_;
};

class MemoryStore : public Store {
 public:
  explicit MemoryStore(std::shared_ptr<MemoryDatabase> db) : db_(std::move(db)) {}

  void BeginBatch() override {
    if (db_->in_batch) throw ProviderError("A batch is already open.");
    db_->in_batch = true;
  }
  void CommitBatch() override {
    if (!db_->in_batch) throw ProviderError("No batch is open.");
    db_->in_batch = false;
    ++db_->batches_committed;
  }

  std::unique_ptr<Rowset> Execute(const std::string& statement) override {
    SelectStatement st = ParseSelect(statement);
    size_t table = db_->tables.size();
    for (size_t i = 0; i < db_->tables.size(); ++i) {
      if (EqualsIgnoreCase(db_->tables[i].name, st.table)) table = i;
    }
    if (table == db_->tables.size()) throw ProviderError(UnknownTableMessage(st.table));
    const MemoryTable& t = db_->tables[table];
    std::vector<size_t> rows;
    if (!st.where) {
      for (size_t r = 0; r < t.rows.size(); ++r) rows.push_back(r);
    } else {
      size_t column = t.columns.size();
      for (size_t c = 0; c < t.columns.size(); ++c) {
        if (EqualsIgnoreCase(t.columns[c].name, st.where->field)) column = c;
      }
      if (column == t.columns.size()) throw ProviderError(kMissingParameter);
      for (size_t r = 0; r < t.rows.size(); ++r) {
        ++db_->values_tested;
        if (InStrSelects(*st.where, t.rows[r][column])) rows.push_back(r);
      }
    }
    return std::make_unique<MemoryRowset>(db_, table, std::move(rows));
  }

 private:
  std::shared_ptr<MemoryDatabase> db_;
};

}  // namespace

MemoryTable& MemoryDatabase::AddTable(std::string name, std::vector<ColumnInfo> columns) {
  tables.push_back({std::move(name), std::move(columns), {}});
  return tables.back();
}

MemoryTable* MemoryDatabase::Find(const std::string& name) {
  for (MemoryTable& t : tables) {
    if (EqualsIgnoreCase(t.name, name)) return &t;
  }
  return nullptr;
}

std::unique_ptr<Store> MemoryProvider::Open(const ConnectionSettings& settings) {
  auto it = catalog_->find(settings.data_source);
  if (it == catalog_->end()) {
    throw ProviderError("Could not find file '" + settings.data_source + "'.");
  }
  const std::shared_ptr<MemoryDatabase>& db = it->second;
  if (db->damaged) {
    throw ProviderError("Unrecognized database format '" + settings.data_source + "'.");
  }
  if (db->locked) {
    throw ProviderError("Could not use '" + settings.data_source + "'; file already in use.");
  }
  if (db->password != settings.password) throw ProviderError("Not a valid password.");
  return std::make_unique<MemoryStore>(db);
}

ColumnInfo MemoryColumn(std::string name, int type, int64_t size, bool updatable) {
  ColumnInfo c;
  c.name = std::move(name);
  c.type = type;
  c.defined_size = size;
  c.attributes = adFldIsNullable | adFldMayBeNull | (updatable ? adFldUpdatable : 0u);
  return c;
}

}  // namespace provider
