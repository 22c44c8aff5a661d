#include "data/provider/memory_provider.h"

#include <algorithm>
#include <cstddef>

#include "data/provider/ado.h"
#include "data/provider/sql.h"
#include "text/case_fold.h"

namespace provider {
namespace {

class MemoryRowset : public Rowset, public MemoryDatabase::RowsetObserver {
 public:
  MemoryRowset(std::shared_ptr<MemoryDatabase> db, size_t table, std::vector<size_t> rows)
      : db_(std::move(db)), table_(table), rows_(std::move(rows)) {
    db_->open_rowsets.push_back(this);
  }
  ~MemoryRowset() override { std::erase(db_->open_rowsets, this); }
  MemoryRowset(const MemoryRowset&) = delete;
  MemoryRowset& operator=(const MemoryRowset&) = delete;

  const std::vector<ColumnInfo>& columns() const override { return db_->tables[table_].columns; }
  int64_t size() const override { return static_cast<int64_t>(rows_.size()); }

  std::vector<Variant> Read(int64_t row) override {
    ++db_->rows_read;
    return db_->tables[table_].rows.at(rows_.at(static_cast<size_t>(row)));
  }

  void Write(int64_t row, const RowChanges& changes) override {
    CheckWritable();
    MemoryTable& t = db_->tables[table_];
    std::vector<Variant>& values = t.rows.at(rows_.at(static_cast<size_t>(row)));
    CheckColumns(t, changes);
    for (const auto& [col, v] : changes) values[col] = v;
    ++db_->rows_written;
    if (!db_->in_batch) ++db_->rows_written_outside_batch;
  }

  int64_t Insert(const RowChanges& changes) override {
    CheckWritable();
    MemoryTable& t = db_->tables[table_];
    CheckColumns(t, changes);
    std::vector<Variant> values(t.columns.size());
    for (const auto& [col, v] : changes) values[col] = v;
    for (size_t col = 0; col < t.columns.size(); ++col) {
      const ColumnInfo& c = t.columns[col];
      if (c.auto_increment) {
        // Numbered one past the largest number the table holds.
        int64_t next = 1;
        for (const auto& r : t.rows) {
          if (auto* n = std::get_if<int64_t>(&r[col])) next = std::max(next, *n + 1);
        }
        values[col] = Variant(next);
      } else if (IsNull(values[col]) && (c.attributes & adFldIsNullable) == 0) {
        throw ProviderError("The field '" + t.name + "." + c.name +
                            "' cannot contain a Null value because the Required property for "
                            "this field is set to True.  Enter a value in this field.");
      }
    }
    t.rows.push_back(std::move(values));
    rows_.push_back(t.rows.size() - 1);
    ++db_->rows_inserted;
    return static_cast<int64_t>(rows_.size()) - 1;
  }

  void Delete(int64_t row) override {
    CheckWritable();
    const size_t table_row = rows_.at(static_cast<size_t>(row));
    MemoryTable& t = db_->tables[table_];
    t.rows.erase(t.rows.begin() + static_cast<std::ptrdiff_t>(table_row));
    ++db_->rows_deleted;
    std::vector<RowsetObserver*> rowsets = db_->open_rowsets;
    for (RowsetObserver* rowset : rowsets) rowset->TableRowRemoved(table_, table_row);
  }

  void TableRowRemoved(size_t table, size_t row) override {
    if (table != table_) return;
    std::erase(rows_, row);
    for (size_t& r : rows_) {
      if (r > row) --r;
    }
  }

  bool updatable() const override { return !db_->read_only; }

 private:
  void CheckWritable() {
    if (!updatable()) {
      throw ProviderError("Cannot update. Database or object is read-only.");
    }
    if (!db_->fail_next_write.empty()) {
      std::string message = std::move(db_->fail_next_write);
      db_->fail_next_write.clear();
      throw ProviderError(message);
    }
  }

  static void CheckColumns(const MemoryTable& t, const RowChanges& changes) {
    for (const auto& [col, v] : changes) {
      if (col >= t.columns.size()) throw ProviderError("Item cannot be found in the collection.");
      const ColumnInfo& c = t.columns[col];
      if ((c.attributes & (adFldUpdatable | adFldUnknownUpdatable)) == 0 || c.auto_increment) {
        throw ProviderError("Field '" + c.name + "' is not updatable.");
      }
    }
  }

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

  std::vector<std::string> TableNames() override {
    std::vector<std::string> names;
    for (const MemoryTable& t : db_->tables) names.push_back(t.name);
    return names;
  }

  std::unique_ptr<Rowset> Execute(const std::string& statement) override {
    SelectStatement st = ParseSelect(statement);
    size_t table = db_->tables.size();
    for (size_t i = 0; i < db_->tables.size(); ++i) {
      if (text::EqualsIgnoreCase(db_->tables[i].name, st.table)) table = i;
    }
    if (table == db_->tables.size()) throw ProviderError(UnknownTableMessage(st.table));
    const MemoryTable& t = db_->tables[table];
    std::vector<size_t> rows;
    if (!st.where) {
      for (size_t r = 0; r < t.rows.size(); ++r) rows.push_back(r);
    } else {
      size_t column = t.columns.size();
      for (size_t c = 0; c < t.columns.size(); ++c) {
        if (text::EqualsIgnoreCase(t.columns[c].name, st.where->field)) column = c;
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
    if (text::EqualsIgnoreCase(t.name, name)) return &t;
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
