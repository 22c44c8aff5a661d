// The connection and record set objects over the in-memory provider.
#include "data/provider/recordset.h"

#include <gtest/gtest.h>

#include "data/provider/connection.h"
#include "data/provider/memory_provider.h"
#include "data/provider/registry.h"
#include "tests/data/failure_of.h"

namespace provider {
namespace {

using ::tarnquill::testing::FailureOf;

class RecordsetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto catalog = std::make_shared<MemoryCatalog>();
    db_ = std::make_shared<MemoryDatabase>();
    (*catalog)["m.mdb"] = db_;
    MemoryTable& t = db_->AddTable(
        "People", {MemoryColumn("Name", adVarWChar, 10), MemoryColumn("Age", adInteger)});
    t.rows = {{Variant(std::string("Ann")), Variant(int64_t{30})},
              {Variant(std::string("Bob")), Variant()},
              {Variant(std::string("anna")), Variant(int64_t{41})}};
    RegisterProvider("Test.Memory",
                     [catalog] { return std::make_unique<MemoryProvider>(catalog); });
    connection_.set_connection_string("Provider=test.memory;Data Source=m.mdb");
    connection_.Open();
  }
  void TearDown() override { UnregisterProvider("Test.Memory"); }

  std::shared_ptr<MemoryDatabase> db_;
  Connection connection_;
  Recordset rs_;
};

TEST_F(RecordsetTest, ConnectionState) {
  EXPECT_EQ(connection_.state(), adStateOpen);
  EXPECT_THROW(connection_.Open(), ProviderError);
  connection_.Close();
  EXPECT_EQ(connection_.state(), adStateClosed);
  EXPECT_THROW(rs_.Open("Select * From People", connection_), ProviderError);
  Connection other;
  other.set_connection_string("Provider=Nobody.Here;Data Source=m.mdb");
  EXPECT_EQ(FailureOf<ProviderError>([&] { other.Open(); }),
            "Provider cannot be found. It may not be properly installed.");
}

TEST_F(RecordsetTest, NavigationPositionsAndConditionsOnOneColumn) {
  rs_.Open("Select * From People", connection_);
  ASSERT_EQ(rs_.columns().size(), 2u);
  EXPECT_EQ(rs_.columns()[0].type, adVarWChar);
  EXPECT_EQ(rs_.RecordCount(), 3);
  EXPECT_FALSE(rs_.bof());
  EXPECT_EQ(std::get<std::string>(rs_.GetValue(0)), "Ann");
  rs_.MoveNext();
  EXPECT_TRUE(IsNull(rs_.GetValue(1)));
  rs_.MoveLast();
  EXPECT_EQ(rs_.AbsolutePosition(), 3);
  rs_.MoveNext();
  EXPECT_TRUE(rs_.eof());
  EXPECT_EQ(rs_.AbsolutePosition(), -1);
  EXPECT_THROW(rs_.GetValue(0), ProviderError);
  rs_.Move(-10);
  EXPECT_TRUE(rs_.bof());
  rs_.SetAbsolutePosition(2);
  EXPECT_EQ(std::get<std::string>(rs_.GetValue(0)), "Bob");
  EXPECT_THROW(rs_.SetAbsolutePosition(4), ProviderError);
  EXPECT_TRUE(rs_.Supports(adApproxPosition | adBookmark));
  EXPECT_TRUE(rs_.Supports(adUpdate));
  EXPECT_FALSE(rs_.Supports(adAddNew));
  // A condition looks at one column; unknown names fail.
  rs_.Close();
  db_->values_tested = 0;
  db_->rows_read = 0;
  rs_.Open("Select * From People Where InStr(Age,'4')", connection_);
  EXPECT_EQ(db_->values_tested, 3);
  EXPECT_EQ(db_->rows_read, 0);  // nothing decoded until read
  EXPECT_EQ(rs_.RecordCount(), 1);
  rs_.Close();
  EXPECT_EQ(FailureOf<ProviderError>(
                [&] { rs_.Open("Select * From People Where InStr(Nope,'4')", connection_); }),
            "No value given for one or more required parameters.");
  EXPECT_EQ(FailureOf<ProviderError>([&] { rs_.Open("Select * From Nobody", connection_); }),
            "The database engine cannot find the input table or query 'Nobody'. Make sure "
            "it exists and that its name is spelled correctly.");
  EXPECT_EQ(rs_.state(), adStateClosed);
}

TEST_F(RecordsetTest, UpdateStoresOneRowAtOnce) {
  rs_.Open("Select * From People Where InStr(Name,'ANN')", connection_);
  EXPECT_EQ(rs_.RecordCount(), 2);
  rs_.MoveLast();
  rs_.SetValue(0, std::string("Anna K"));
  rs_.SetValue(1, int64_t{42});
  EXPECT_EQ(std::get<std::string>(rs_.GetValue(0)), "Anna K");
  EXPECT_EQ(db_->rows_written, 0);
  rs_.Update();
  EXPECT_EQ(db_->rows_written, 1);
  EXPECT_EQ(std::get<std::string>(db_->tables[0].rows[2][0]), "Anna K");
  EXPECT_EQ(std::get<int64_t>(db_->tables[0].rows[2][1]), 42);
  // A row changed so that it no longer matches stays in the result.
  rs_.SetValue(0, std::string("Zed"));
  rs_.Update();
  EXPECT_EQ(rs_.RecordCount(), 2);
  EXPECT_EQ(std::get<std::string>(rs_.GetValue(0)), "Zed");
}

TEST_F(RecordsetTest, FailedUpdatesAndNewRowsWriteNothingAndCancelDrops) {
  rs_.Open("Select * From People", connection_);
  rs_.SetValue(0, std::string("X"));
  db_->fail_next_write = "Disk full.";
  EXPECT_THROW(rs_.Update(), ProviderError);
  EXPECT_EQ(std::get<std::string>(db_->tables[0].rows[0][0]), "Ann");
  EXPECT_TRUE(rs_.editing());
  rs_.CancelUpdate();
  EXPECT_EQ(std::get<std::string>(rs_.GetValue(0)), "Ann");
  rs_.Close();
  rs_.Open("Select * From People", connection_, adOpenKeyset, adLockReadOnly);
  rs_.SetValue(0, std::string("X"));
  EXPECT_THROW(rs_.Update(), ProviderError);
  // Refusals of new rows.
  rs_.Close();
  rs_.Open("Select * From People", connection_);
  rs_.AddNew();
  EXPECT_THROW(rs_.SetValue(5, Variant(int64_t{1})), ProviderError);
  db_->fail_next_write = "Disk full.";
  EXPECT_THROW(rs_.Update(), ProviderError);
  EXPECT_TRUE(rs_.adding());  // still pending after a failure
  rs_.Update();
  EXPECT_EQ(db_->tables[0].rows.size(), 4u);
  rs_.Close();

  db_->read_only = true;
  rs_.Open("Select * From People", connection_);
  EXPECT_THROW(rs_.AddNew(), ProviderError);
  EXPECT_THROW(rs_.Delete(), ProviderError);
  EXPECT_EQ(db_->rows_deleted, 0);
}

TEST_F(RecordsetTest, AddNewAppendsAndDeleteRemoves) {
  rs_.Open("Select * From People Where InStr(Name,'an')", connection_);
  ASSERT_EQ(rs_.RecordCount(), 2);
  rs_.AddNew();
  EXPECT_TRUE(IsNull(rs_.GetValue(0)));
  rs_.SetValue(0, Variant(std::string("Zed")));
  EXPECT_EQ(std::get<std::string>(rs_.GetValue(0)), "Zed");
  rs_.Update();
  EXPECT_FALSE(rs_.adding());
  // Kept in the result although it does not meet the condition.
  EXPECT_EQ(rs_.RecordCount(), 3);
  EXPECT_EQ(rs_.AbsolutePosition(), 3);
  EXPECT_EQ(std::get<std::string>(rs_.GetValue(0)), "Zed");
  EXPECT_TRUE(IsNull(rs_.GetValue(1)));
  EXPECT_EQ(db_->tables[0].rows.size(), 4u);

  rs_.SetAbsolutePosition(1);
  rs_.Delete();
  EXPECT_EQ(rs_.RecordCount(), 2);
  EXPECT_EQ(std::get<std::string>(rs_.GetValue(0)), "anna");  // the next row is current
  rs_.MoveLast();
  rs_.Delete();
  EXPECT_TRUE(rs_.eof());
  EXPECT_THROW(rs_.Delete(), ProviderError);
  ASSERT_EQ(db_->tables[0].rows.size(), 2u);
  EXPECT_EQ(std::get<std::string>(db_->tables[0].rows[0][0]), "Bob");

  // A move drops a row being added.
  rs_.AddNew();
  rs_.SetValue(0, Variant(std::string("Never")));
  rs_.MoveFirst();
  EXPECT_FALSE(rs_.adding());
  EXPECT_EQ(db_->tables[0].rows.size(), 2u);
}

}  // namespace
}  // namespace provider
