// A record source over rows kept in memory, for grid tests: the columns and
// rows are given up front and posts change them in place.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/dataset.h"
#include "data/provider/ado.h"

namespace grid_test {

inline provider::ColumnInfo Column(std::string name, int type, int64_t size = 0) {
  provider::ColumnInfo info;
  info.name = std::move(name);
  info.type = type;
  info.defined_size = size;
  info.attributes = 0x4;  // updatable
  return info;
}

class MemoryDataSet : public data::TDataSet {
 public:
  MemoryDataSet(std::string name, std::vector<provider::ColumnInfo> columns,
                std::vector<std::vector<provider::Variant>> rows = {})
      : data::TDataSet(std::move(name)), columns_(std::move(columns)), rows_(std::move(rows)) {}
  ~MemoryDataSet() override { Close(); }

  std::vector<std::vector<provider::Variant>>& Rows() { return rows_; }
  int fetches = 0;

 protected:
  std::vector<provider::ColumnInfo> InternalOpen() override { return columns_; }
  void InternalClose() override {}
  int64_t InternalRecordCount() const override { return static_cast<int64_t>(rows_.size()); }
  std::vector<provider::Variant> InternalFetch(int64_t position) override {
    ++fetches;
    return rows_.at(static_cast<std::size_t>(position));
  }
  void InternalPost(int64_t position, const provider::RowChanges& changes) override {
    for (const auto& [column, value] : changes) {
      rows_.at(static_cast<std::size_t>(position)).at(column) = value;
    }
  }
  bool InternalCanModify() const override { return true; }

 private:
  std::vector<provider::ColumnInfo> columns_;
  std::vector<std::vector<provider::Variant>> rows_;
};

// "ADOQuery1" with `n` records of one text column, Name.
inline std::unique_ptr<MemoryDataSet> NameRecords(int n) {
  std::vector<std::vector<provider::Variant>> rows;
  for (int i = 0; i < n; ++i) rows.push_back({provider::Variant("r" + std::to_string(i))});
  return std::make_unique<MemoryDataSet>(
      "ADOQuery1", std::vector<provider::ColumnInfo>{Column("Name", provider::adVarWChar, 20)},
      std::move(rows));
}

// A record source that cannot number its records.
class UnnumberedDataSet : public MemoryDataSet {
 public:
  using MemoryDataSet::MemoryDataSet;
  bool IsSequenced() const override { return false; }
};

}  // namespace grid_test
