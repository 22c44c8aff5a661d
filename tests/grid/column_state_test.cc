// The two collection states through open, close, field changes and
// AddFieldColumns; binding by name; generated columns writing through.
#include <gtest/gtest.h>

#include "grid_fixture.h"

namespace grid_test {
namespace {

using grid::TColumnSetState;

using ColumnStateTest = GridFixture;

// A closed source leaves one unbound generated column, also after
// AddFieldColumns.
TEST_F(ColumnStateTest, ClosedSourceLeavesOneUnboundGeneratedColumnAndOpenOnePerVisibleField) {
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) grid.Columns().AddFieldColumns(true);
    ASSERT_EQ(grid.Columns().Count(), 1);
    EXPECT_TRUE(Col(0).IsFieldDriven());
    EXPECT_EQ(Col(0).BoundField(), nullptr);
    EXPECT_EQ(Col(0).Title().Caption(), "");
    EXPECT_EQ(Col(0).DisplayText(), "");
    EXPECT_EQ(grid.Columns().ColumnSetState(), TColumnSetState::FieldDriven);
  }
  // Opening generates one column per visible field.
  query.Open();
  EXPECT_EQ(Names(), (std::vector<std::string>{"Name", "Qty", "Price", "Paid"}));
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(Col(i).IsFieldDriven());
    EXPECT_EQ(Col(i).BoundField(), query.Field(i));
  }
  EXPECT_EQ(grid.Columns().ColumnSetState(), TColumnSetState::FieldDriven);
  // Hiding a field reshapes the layout: its generated column goes.
  query.FindField("Qty")->SetVisible(false);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Name", "Price", "Paid"}));
  query.Close();
  ASSERT_EQ(grid.Columns().Count(), 1);
  EXPECT_EQ(Col(0).BoundField(), nullptr);
}

TEST_F(ColumnStateTest, ReopenKeepsGeneratedColumnObjectsOfTheSameFields) {
  query.Open();
  grid::TGridColumn* price = &Col(2);
  grid.Columns().Move(2, 0);  // a whole-set change: the pass restores field order
  EXPECT_EQ(Names(), (std::vector<std::string>{"Name", "Qty", "Price", "Paid"}));
  EXPECT_EQ(&Col(2), price);
}

TEST_F(ColumnStateTest, AddFieldColumnsMakesPersistentColumns) {
  query.Open();
  ASSERT_TRUE(Col(0).IsFieldDriven());
  grid.Columns().AddFieldColumns(false);
  // The generated columns in front of the new persistent ones are gone.
  EXPECT_EQ(Names(), (std::vector<std::string>{"Name", "Qty", "Price", "Paid"}));
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(Col(i).IsPersistent());
  // Cleared first: hidden fields get a column too, in field order.
  query.FindField("Qty")->SetVisible(false);
  grid.Columns().AddFieldColumns(true);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Name", "Qty", "Price", "Paid"}));
  EXPECT_EQ(grid.Columns().ColumnSetState(), TColumnSetState::Persistent);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(Col(i).IsPersistent());
  EXPECT_EQ(grid.DataLink().MappingCount(), 4);
  EXPECT_TRUE(grid.DataLink().LenientMap());
}

TEST_F(ColumnStateTest, PersistentColumnsSurviveCloseAndRebindOnOpen) {
  OpenWithFieldColumns();
  Col(1).SetWidth(77);
  query.Close();
  ASSERT_EQ(grid.Columns().Count(), 4);
  EXPECT_EQ(Col(1).BoundField(), nullptr);
  EXPECT_EQ(Col(1).FieldName(), "Qty");
  query.Open();
  ASSERT_EQ(grid.Columns().Count(), 4);
  EXPECT_EQ(Col(1).BoundField(), query.FindField("Qty"));
  EXPECT_EQ(Col(1).Width(), 77);
}

TEST_F(ColumnStateTest, AddFieldColumnsWithoutRecordSourceOnlyClears) {
  grid.SetDataSource(nullptr);
  grid.Columns().Add().SetFieldName("Qty");
  grid.Columns().AddFieldColumns(false);
  EXPECT_EQ(grid.Columns().Count(), 1);
  grid.Columns().AddFieldColumns(true);
  // Cleared; the pass that follows leaves its one unbound column.
  ASSERT_EQ(grid.Columns().Count(), 1);
  EXPECT_TRUE(Col(0).IsFieldDriven());
  EXPECT_EQ(Col(0).FieldName(), "");
}

TEST_F(ColumnStateTest, ClearReturnsToFieldDrivenAndRegenerates) {
  OpenWithFieldColumns();
  int passes = grid.LayoutPassCount();
  grid.Columns().Clear();
  EXPECT_EQ(grid.LayoutPassCount(), passes + 1);  // one whole-set change
  EXPECT_EQ(grid.Columns().ColumnSetState(), TColumnSetState::FieldDriven);
  EXPECT_EQ(grid.Columns().Count(), 4);
  EXPECT_TRUE(Col(0).IsFieldDriven());
}

// Binding by name ignores case and takes the field's spelling; a missing
// field maps to nothing; closing unbinds through the pass, and the column
// must not keep the field the source destroys.
TEST_F(ColumnStateTest, BindingByNameAndUnbindingOnClose) {
  grid.Columns().Clear();
  grid::TDataGridColumn& column = grid.Columns().Add();
  column.SetFieldName("qTY");
  grid.Columns().Add().SetFieldName("Nope");
  EXPECT_EQ(column.FieldName(), "qTY");  // closed: nothing to bind yet
  query.Open();
  EXPECT_EQ(column.BoundField(), query.FindField("Qty"));
  EXPECT_EQ(column.FieldName(), "Qty");
  EXPECT_EQ(column.DisplayText(), "5");
  EXPECT_EQ(grid.DataLink().MappingCount(), 2);
  EXPECT_EQ(grid.DataLink().MappedIndex(0), 1);
  EXPECT_EQ(grid.DataLink().MappedIndex(1), -1);
  EXPECT_EQ(grid.DataLink().MappedField(1), nullptr);
  EXPECT_FALSE(grid.DataLink().DefaultFields());
  EXPECT_EQ(Col(1).BoundField(), nullptr);
  EXPECT_EQ(Col(1).Title().Caption(), "Nope");
  query.Close();
  EXPECT_EQ(column.BoundField(), nullptr);
  EXPECT_EQ(column.DisplayText(), "");
}

// Generated columns write their title, alignment, read-only state and (with
// a window) width through to their field.
TEST_F(ColumnStateTest, GeneratedColumnsWriteThroughToTheirFieldButAnUnboundOneIgnoresThem) {
  grid.SetHost(&host);
  query.Open();
  data::TField* qty = query.FindField("Qty");
  Col(1).Title().SetCaption("数量");
  EXPECT_EQ(qty->DisplayLabel(), "数量");
  EXPECT_EQ(Col(1).Title().Caption(), "数量");
  EXPECT_FALSE(Col(1).IsExplicit(grid::TColumnValue::cvTitleCaption));
  Col(1).SetAlignment(grid::TAlignment::taCenter);
  EXPECT_EQ(qty->Alignment(), grid::TAlignment::taCenter);
  EXPECT_FALSE(Col(1).IsExplicit(grid::TColumnValue::cvAlignment));
  Col(1).SetReadOnly(true);
  EXPECT_TRUE(qty->ReadOnly());
  EXPECT_FALSE(Col(1).IsExplicit(grid::TColumnValue::cvReadOnly));
  // (100 + 6 div 2 − 0 − 3) div 6
  Col(0).SetWidth(100);
  EXPECT_EQ(query.FindField("Name")->DisplayWidth(), 16);
  EXPECT_EQ(Col(0).Width(), 100);
  // Closed, the unbound generated column ignores a caption and an alignment.
  query.Close();
  ASSERT_TRUE(Col(0).IsFieldDriven());
  Col(0).Title().SetCaption("X");
  Col(0).SetAlignment(grid::TAlignment::taCenter);
  EXPECT_EQ(Col(0).Title().Caption(), "");
  EXPECT_EQ(Col(0).Alignment(), grid::TAlignment::taLeftJustify);
  // Read-only is stored on the column instead.
  Col(0).SetReadOnly(true);
  EXPECT_TRUE(Col(0).ReadOnly());
}

}  // namespace
}  // namespace grid_test
