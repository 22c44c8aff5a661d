// The table view's set-up of the grid, end to end on an in-memory record
// source: clear, run the query, columns from the fields, centred, 100 pixels
// wide, and the record count in the first column's footer.
#include <gtest/gtest.h>

#include "grid_fixture.h"
#include "tests/data/core/memory_fixture.h"

namespace grid_test {
namespace {

using grid::TAlignment;

class TableViewTest : public GridFixture {
 protected:
  void SetUp() override {
    UseWindowSettings(grid);
    grid.SumList().SetActive(true);
    grid.SetHost(&host);
  }
  void TearDown() override { grid.SetHost(nullptr); }

  // What the view does after each query.
  void RefreshView(bool opens) {
    grid.Columns().Clear();
    query.Close();
    if (opens) query.Open();
    grid.Columns().AddFieldColumns(true);
    for (int i = 0; i < grid.Columns().Count(); ++i) {
      grid::TDataGridColumn& column = Col(i);
      column.Title().SetAlignment(TAlignment::taCenter);
      column.SetAlignment(TAlignment::taCenter);
      column.SetWidth(100);
      if (i == 0) {
        column.Footer().SetAlignment(TAlignment::taCenter);
        column.Footer().SetValue(std::to_string(query.RecordCount()) + "条");
        column.Footer().SetValueType(grid::TFooterValueType::fvtStaticText);
        column.Footer().Font().SetColor(grid::clBlack);
      }
    }
  }
};

TEST_F(TableViewTest, OpenQueryGivesCentredColumnsAndACountFooter) {
  RefreshView(true);
  ASSERT_EQ(grid.Columns().Count(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(Col(i).IsPersistent());
    EXPECT_EQ(Col(i).Width(), 100);
    EXPECT_EQ(grid.ColWidth(i + 1), 100);
    EXPECT_EQ(Col(i).Alignment(), TAlignment::taCenter);
    EXPECT_EQ(Col(i).Title().Alignment(), TAlignment::taCenter);
  }
  EXPECT_EQ(grid.ColWidth(0), 11);
  EXPECT_EQ(grid.FooterValueText(0, Col(0)), "3条");
  EXPECT_EQ(Col(0).Footer().Alignment(), TAlignment::taCenter);
  EXPECT_EQ(Col(0).Footer().Font().Color(), grid::clBlack);
  EXPECT_EQ(Col(0).Footer().Font().Name(), grid.FooterFont().Name());
  EXPECT_TRUE(Col(0).Footer().IsExplicit(grid::TFooterValue::fvFont));
  EXPECT_EQ(grid.FooterValueText(0, Col(1)), "");
  EXPECT_EQ(grid.SumList().SumCollection().Count(), 0);
  EXPECT_EQ(Col(0).DisplayText(), "apple");
  EXPECT_EQ(Col(0).Title().Caption(), "Name");

  // Refreshing again rebuilds the same view.
  RefreshView(true);
  EXPECT_EQ(grid.Columns().Count(), 4);
  EXPECT_EQ(grid.FooterValueText(0, Col(0)), "3条");
}

TEST_F(TableViewTest, FailedQueryLeavesOneEmptyColumnAndTheCountFails) {
  RefreshView(true);
  try {
    RefreshView(false);
    FAIL() << "reading the count of a closed query succeeded";
  } catch (const data::EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "ADOQuery1: Cannot perform this operation on a closed dataset");
  }
  ASSERT_EQ(grid.Columns().Count(), 1);
  EXPECT_EQ(Col(0).Title().Caption(), "");
  EXPECT_EQ(Col(0).DisplayText(), "");
  EXPECT_EQ(Col(0).Width(), 100);
  EXPECT_EQ(grid.FooterValueText(0, Col(0)), "");
  // A later successful refresh brings the columns back.
  RefreshView(true);
  EXPECT_EQ(grid.Columns().Count(), 4);
}

TEST_F(TableViewTest, EmptyTableCountsZero) {
  query.Rows().clear();
  RefreshView(true);
  EXPECT_EQ(grid.Columns().Count(), 4);
  EXPECT_EQ(grid.FooterValueText(0, Col(0)), "0条");
}

}  // namespace
}  // namespace grid_test

// The same set-up over the real view query, its connection and the
// in-memory provider standing in for a database file.
namespace grid_test {
namespace {

class ViewQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto db = scope_.Add("view.mdb");
    data::testing::AddNumbersTable(*db, 37);
    dm_.ADOConnection1.SetConnectionString(data::BuildConnectionString("view.mdb", ""));
    query_.SetConnection(&dm_.ADOConnection1);
    source_.SetDataSet(&query_);
    host_.height = 272;
    grid_.SetHost(&host_);
    grid_.SetCanvas(&canvas_);
    grid_.SetFooterRowCount(1);
    grid_.SetReadOnly(true);
    grid_.SumList().SetActive(true);
    grid_.SetDataSource(&source_);
  }
  void TearDown() override { grid_.SetHost(nullptr); }

  void RefreshView(const std::string& statement) {
    grid_.Columns().Clear();
    query_.Close();
    query_.SQL().Clear();
    query_.SQL().Add(statement);
    query_.Open();
    grid_.Columns().AddFieldColumns(true);
    for (int i = 0; i < grid_.Columns().Count(); ++i) {
      grid::TDataGridColumn& column = grid_.Columns()[i];
      column.Title().SetAlignment(grid::TAlignment::taCenter);
      column.SetAlignment(grid::TAlignment::taCenter);
      column.SetWidth(100);
      if (i == 0) {
        column.Footer().SetAlignment(grid::TAlignment::taCenter);
        column.Footer().SetValue(std::to_string(query_.RecordCount()) + "条");
        column.Footer().SetValueType(grid::TFooterValueType::fvtStaticText);
        column.Footer().Font().SetColor(grid::clBlack);
      }
    }
  }

  data::testing::MemoryCatalogScope scope_;
  data::TShareDataModule dm_;
  data::TADOQuery query_{"ADOQuery1"};
  data::TDataSource source_{"DataSource1"};
  grid::FixedMetricsCanvas canvas_;
  RecordingHost host_;
  grid::TDataGrid grid_;
};

TEST_F(ViewQueryTest, WholeTableAndFilteredView) {
  RefreshView("Select * From Numbers");
  ASSERT_EQ(grid_.Columns().Count(), 2);
  EXPECT_EQ(grid_.Columns()[0].FieldName(), "ID");
  EXPECT_EQ(grid_.Columns()[1].Title().Caption(), "Name");
  EXPECT_EQ(grid_.FooterValueText(0, grid_.Columns()[0]), "37条");
  EXPECT_EQ(grid_.DataLink().WindowSize(), 13);
  EXPECT_EQ(grid_.Columns()[1].DisplayText(), "row1");
  EXPECT_EQ(grid_.CurrentRow(), 1);

  RefreshView("Select * From Numbers Where InStr(Name,'1')");
  EXPECT_EQ(grid_.FooterValueText(0, grid_.Columns()[0]), "13条");
  EXPECT_EQ(grid_.Columns().Count(), 2);
  EXPECT_EQ(grid_.ColWidth(2), 100);
}

}  // namespace
}  // namespace grid_test
