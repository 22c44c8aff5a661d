// Modify's loop over the scratch query, on the in-memory provider: which rows
// are listed, which are stored, the batches, and every failure in order.
#include "data/bulk_replace.h"

#include <gtest/gtest.h>

#include "data/db_error.h"
#include "tests/data/core/memory_fixture.h"
#include "tests/data/failure_of.h"

namespace data {
namespace {

using ::tarnquill::testing::FailureOf;

using provider::Variant;

class BulkReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = scope.Add("people.mdb");
    provider::MemoryTable& t =
        db->AddTable("People", {provider::MemoryColumn("ID", provider::adInteger),
                                provider::MemoryColumn("Name", provider::adVarWChar, 50)});
    const Variant names[] = {Variant("ABCabcAbC"),   Variant(),          Variant("xyz"),
                             Variant("abc and ABC"), Variant("张三abc"), Variant("O'Brien")};
    int64_t id = 1;
    for (const Variant& n : names) t.rows.push_back({Variant(id++), n});
    module.ADOConnection1.SetConnectionString(BuildConnectionString("people.mdb", ""));
    module.ADOConnection1.SetConnected(true);
  }

  ModifyOutcome Modify(const std::string& statement, const std::string& field,
                       const std::string& old_value, const std::string& new_value,
                       const ModifyOptions& options = {}) {
    return ModifyRows(
        module.ADOQueryTemp, statement, field, old_value, new_value,
        [this](const std::string& text) { messages.push_back(text); }, options);
  }
  const Variant& Name(size_t row) { return db->tables[0].rows[row][1]; }

  testing::MemoryCatalogScope scope;
  std::shared_ptr<provider::MemoryDatabase> db;
  TShareDataModule module;
  std::vector<std::string> messages;
};

TEST(ViewStatementTest, BuildsTheStatementAndDoublesQuotesInTheSearchText) {
  EXPECT_EQ(ViewStatement("T1", "", "abc"), "Select * From T1");
  EXPECT_EQ(ViewStatement("T1", "Name", "abc"), "Select * From T1 Where InStr(Name,'abc')");
  EXPECT_EQ(ViewStatement("[Order Details]", "[Ship Name]", ""),
            "Select * From [Order Details] Where InStr([Ship Name],'')");
  EXPECT_EQ(ViewStatement("T", "N", "O'Brien"), "Select * From T Where InStr(N,'O''Brien')");
  EXPECT_EQ(ViewStatement("T", "N", "''"), "Select * From T Where InStr(N,'''''')");
}

TEST_F(BulkReplaceTest, StoresOnlyRowsWhoseValueChanges) {
  // An empty search text changes nothing.
  ModifyOutcome outcome = Modify(ViewStatement("People", "Name", ""), "Name", "", "X");
  EXPECT_EQ(outcome.listed, 5);  // every non-empty value
  EXPECT_EQ(outcome.changed, 0);
  EXPECT_EQ(db->rows_written, 0);
  EXPECT_TRUE(provider::IsNull(Name(1)));
  outcome = Modify(ViewStatement("People", "Name", "abc"), "name", "abc", "X");
  EXPECT_EQ(outcome.listed, 3);  // the NULL row and "xyz" are not selected
  EXPECT_EQ(outcome.changed, 3);
  EXPECT_EQ(Name(0), Variant("XXX"));
  EXPECT_EQ(Name(3), Variant("X and X"));
  EXPECT_EQ(Name(4), Variant("张三X"));
  EXPECT_EQ(db->rows_written, 3);
  EXPECT_TRUE(messages.empty());
}

TEST_F(BulkReplaceTest, AllRowsListedButNullsAndUnchangedValuesLeftAloneAndQuotesFound) {
  // The last view had no field: every row is listed.
  ModifyOutcome outcome = Modify(ViewStatement("People", "", "abc"), "Name", "abc", "X");
  EXPECT_EQ(outcome.listed, 6);
  EXPECT_EQ(outcome.changed, 3);
  EXPECT_EQ(db->rows_written, 3);
  EXPECT_TRUE(provider::IsNull(Name(1)));
  EXPECT_EQ(Name(2), Variant("xyz"));
  // A search text with quotes finds what was typed.
  outcome = Modify(ViewStatement("People", "Name", "o'brien"), "Name", "o'brien", "O'Neil");
  EXPECT_EQ(outcome.listed, 1);
  EXPECT_EQ(Name(5), Variant("O'Neil"));
  // A quote followed by a colon once turned the rest into a parameter.
  outcome = Modify(ViewStatement("People", "Name", "x':y"), "Name", "x':y", "-");
  EXPECT_EQ(outcome.listed, 0);
  EXPECT_TRUE(messages.empty());
}

TEST_F(BulkReplaceTest, RowsAreStoredInBatches) {
  provider::MemoryTable& t = db->tables[0];
  for (int i = 0; i < 10; ++i) t.rows.push_back({Variant(int64_t{100 + i}), Variant("aaa")});
  ModifyOptions options;
  options.batch_rows = 3;
  ModifyOutcome outcome = Modify(ViewStatement("People", "Name", "aaa"), "Name", "a", "b", options);
  EXPECT_EQ(outcome.changed, 10);
  EXPECT_EQ(db->rows_written, 10);
  EXPECT_EQ(db->rows_written_outside_batch, 0);
  EXPECT_EQ(db->batches_committed, 4);
  EXPECT_FALSE(db->in_batch);
}

TEST_F(BulkReplaceTest, DryRunReportsAndStoresNothing) {
  ModifyOptions options;
  options.dry_run = true;
  std::vector<std::string> seen;
  options.on_change = [&](const RowChange& row) {
    seen.push_back(std::to_string(row.position) + ":" + row.fields[0].old_text + ">" +
                   row.fields[0].change.text);
  };
  bool wrote = false;
  options.before_first_write = [&] { wrote = true; };
  ModifyOutcome outcome = Modify(ViewStatement("People", "", ""), "Name", "ABC", "-", options);
  EXPECT_EQ(outcome.listed, 6);
  EXPECT_EQ(outcome.changed, 3);
  EXPECT_EQ(seen, (std::vector<std::string>{"1:ABCabcAbC>---", "4:abc and ABC>- and -",
                                            "5:张三abc>张三-"}));
  EXPECT_EQ(db->rows_written, 0);
  EXPECT_FALSE(wrote);
  EXPECT_EQ(db->batches_committed, 0);
}

TEST_F(BulkReplaceTest, StatementThatCannotRunMissingFieldAndReadOnlyDatabaseFailBeforeAnyWrite) {
  std::string open_failure;
  ModifyOptions options;
  options.open_failure = &open_failure;
  EXPECT_EQ(FailureOf<EDatabaseError>(
                [&] { Modify(ViewStatement("Nobody", "Name", "a"), "Name", "a", "b", options); }),
            "ADOQueryTemp: Cannot perform this operation on a closed dataset");
  EXPECT_EQ(messages, std::vector<std::string>{"数据库打开失败"});
  EXPECT_NE(open_failure.find("Nobody"), std::string::npos) << open_failure;
  EXPECT_FALSE(module.ADOQueryTemp.Active());
  // A missing field is named; a read-only database fails at the first row
  // that would change.
  EXPECT_EQ(FailureOf<EDatabaseError>(
                [&] { Modify(ViewStatement("People", "", ""), "Nickname", "a", "b"); }),
            "ADOQueryTemp: Field 'Nickname' not found");
  EXPECT_EQ(db->rows_written, 0);
  db->read_only = true;
  EXPECT_EQ(FailureOf<EDatabaseError>(
                [&] { Modify(ViewStatement("People", "", ""), "Name", "xyz", "X"); }),
            "ADOQueryTemp: Cannot modify a read-only dataset");
  EXPECT_EQ(Name(2), Variant("xyz"));
}

TEST_F(BulkReplaceTest, FailedRowEndsTheLoopAndKeepsTheRowsBefore) {
  ModifyOptions options;
  options.on_change = [&](const RowChange& row) {
    if (row.position == 4) db->fail_next_write = "Record is too large.";
  };
  bool wrote_first = false;
  options.before_first_write = [&] { wrote_first = true; };
  EXPECT_THROW(Modify(ViewStatement("People", "", ""), "Name", "abc", "X", options), EOleException);
  EXPECT_TRUE(wrote_first);
  EXPECT_EQ(Name(0), Variant("XXX"));          // stored before the failure
  EXPECT_EQ(Name(3), Variant("abc and ABC"));  // the failing row
  EXPECT_EQ(Name(4), Variant("张三abc"));      // never reached
  EXPECT_EQ(db->batches_committed, 1);         // the stored row's batch was kept
  EXPECT_FALSE(db->in_batch);
  EXPECT_EQ(module.ADOQueryTemp.State(), TDataSetState::Editing);
}

}  // namespace
}  // namespace data
