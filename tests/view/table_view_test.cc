// The table view end to end on the in-memory provider: the statement from
// the three boxes, the columns and the count footer, and the failure path.
#include "view/table_view.h"

#include <gtest/gtest.h>

#include "data/db_error.h"
#include "tests/data/core/memory_fixture.h"
#include "tests/data/failure_of.h"

namespace view {
namespace {

using ::tarnquill::testing::FailureOf;

using provider::Variant;

class TableViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = scope.Add("shop.mdb");
    provider::MemoryTable& t =
        db->AddTable("Goods", {provider::MemoryColumn("ID", provider::adInteger),
                               provider::MemoryColumn("Name", provider::adVarWChar, 50),
                               provider::MemoryColumn("Price", provider::adDouble)});
    for (int i = 1; i <= 37; ++i) {
      std::string name = i % 3 == 0   ? "Apple " + std::to_string(i)
                         : i % 3 == 1 ? "苹果汁" + std::to_string(i)
                                      : "pear";
      t.rows.push_back({Variant(int64_t{i}), Variant(name), Variant(i * 1.5)});
    }
    db->AddTable("Empty", {provider::MemoryColumn("Code", provider::adVarWChar, 10)});
    view.ADOQuery1.SetConnection(&module.ADOConnection1);
    module.ADOConnection1.SetConnectionString(data::BuildConnectionString("shop.mdb", ""));
    module.ADOConnection1.SetConnected(true);
  }
  void TearDown() override { view.ADOQuery1.SetConnection(nullptr); }

  void Refresh(const std::string& table, const std::string& field, const std::string& search) {
    view.RefreshView(table, field, search,
                     [this](const std::string& text) { messages.push_back(text); });
  }
  grid::TDataGridColumn& Col(int i) { return view.DataGrid1.Columns()[i]; }
  std::string Footer(int i) { return view.DataGrid1.FooterValueText(0, Col(i)); }

  data::testing::MemoryCatalogScope scope;
  std::shared_ptr<provider::MemoryDatabase> db;
  data::TShareDataModule module;
  TTableView view;
  std::vector<std::string> messages;
};

TEST_F(TableViewTest, WholeTableGivesCentredColumnsAndTheCount) {
  // A read-only grid selecting whole rows, bound to the view's query.
  EXPECT_TRUE(view.DataGrid1.ReadOnly());
  EXPECT_EQ(view.DataGrid1.Options() & (grid::dgRowSelect | grid::dgEditing), grid::dgRowSelect);
  EXPECT_EQ(view.DataSource1.DataSet(), &view.ADOQuery1);
  Refresh("Goods", "", "ignored without a field");
  EXPECT_EQ(view.LastStatement(), "Select * From Goods");
  ASSERT_EQ(view.DataGrid1.Columns().Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(Col(i).IsPersistent());
    EXPECT_EQ(Col(i).Width(), 100);
    EXPECT_EQ(view.DataGrid1.ColWidth(i + 1), 100);
    EXPECT_EQ(Col(i).Alignment(), grid::TAlignment::taCenter);
    EXPECT_EQ(Col(i).Title().Alignment(), grid::TAlignment::taCenter);
  }
  EXPECT_EQ(Col(1).Title().Caption(), "Name");
  EXPECT_EQ(Col(1).DisplayText(), "苹果汁1");
  EXPECT_EQ(Footer(0), "37条");
  EXPECT_EQ(Col(0).Footer().Alignment(), grid::TAlignment::taCenter);
  EXPECT_EQ(Col(0).Footer().Font().Color(), grid::clBlack);
  EXPECT_EQ(Col(0).Footer().ValueType(), grid::TFooterValueType::fvtStaticText);
  EXPECT_EQ(Footer(1), "");
  EXPECT_EQ(Footer(2), "");
  EXPECT_TRUE(messages.empty());
}

TEST_F(TableViewTest, FieldAndSearchTextNarrowTheRowsAndAFailedStatementShowsItsMessages) {
  Refresh("Goods", "Name", "APPLE");
  EXPECT_EQ(view.LastStatement(), "Select * From Goods Where InStr(Name,'APPLE')");
  EXPECT_EQ(Footer(0), "12条");
  Refresh("Goods", "name", "苹果");
  EXPECT_EQ(Footer(0), "13条");
  Refresh("Empty", "", "");
  EXPECT_EQ(view.DataGrid1.Columns().Count(), 1);
  EXPECT_EQ(Footer(0), "0条");
  // A failed statement shows the message, then the closed query's failure.
  Refresh("Goods", "", "");
  EXPECT_EQ(FailureOf<data::EDatabaseError>([&] { Refresh("Goods", "Colour", "red"); }),
            "ADOQuery1: Cannot perform this operation on a closed dataset");
  EXPECT_EQ(messages, std::vector<std::string>{"数据库打开失败"});
  ASSERT_EQ(view.DataGrid1.Columns().Count(), 1);  // one empty column
  EXPECT_EQ(Col(0).Title().Caption(), "");
  EXPECT_EQ(Col(0).Width(), 100);
  EXPECT_EQ(Col(0).Footer().Alignment(), grid::TAlignment::taCenter);
  EXPECT_EQ(Footer(0), "");
  EXPECT_FALSE(view.ADOQuery1.Active());
  // A later good statement brings the columns back.
  Refresh("Goods", "", "");
  EXPECT_EQ(view.DataGrid1.Columns().Count(), 3);
  EXPECT_EQ(Footer(0), "37条");
}

}  // namespace
}  // namespace view
