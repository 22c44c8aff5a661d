// A test fixture: the query "ADOQuery1" over the table Numbers of a fresh
// in-memory "nums.mdb", bound through "DataSource1" to a recording link
// (unless told not to) and ready to open.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/data/core/memory_fixture.h"

namespace data::testing {

class NumbersQueryFixture : public ::testing::Test {
 protected:
  // `rows` rows: IDs 1..rows, named "row1".."rowN".
  explicit NumbersQueryFixture(int rows, bool bind_link = true)
      : rows_(rows), bind_link_(bind_link) {}

  void SetUp() override {
    db_ = scope_.Add("nums.mdb");
    AddNumbersTable(*db_, rows_);
    dm_.ADOConnection1.SetConnectionString(BuildConnectionString("nums.mdb", ""));
    query_.SetConnection(&dm_.ADOConnection1);
    query_.SQL().Add("Select * From Numbers");
    source_.SetDataSet(&query_);
    if (bind_link_) link_.SetDataSource(&source_);
  }

  // Opens the query for a link that shows `window` records.
  void OpenWindow(int window) {
    link_.SetWindowSize(window);
    query_.Open();
  }
  int CurrentId() { return std::stoi(query_.FieldByName("ID").TextValue()); }

  const int rows_;
  const bool bind_link_;
  MemoryCatalogScope scope_;
  std::shared_ptr<provider::MemoryDatabase> db_;
  std::vector<std::string> log_;  // outlives the query, whose handlers write to it when it closes
  TShareDataModule dm_;
  TADOQuery query_{"ADOQuery1"};
  TDataSource source_{"DataSource1"};
  RecordingLink link_{&log_};
};

}  // namespace data::testing
