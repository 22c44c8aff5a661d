// Inherited column, title and footer values: before and after being set, and
// when their source changes.
#include <gtest/gtest.h>

#include "grid_fixture.h"

namespace grid_test {
namespace {

using grid::clBlack;
using grid::clBtnFace;
using grid::clGray;
using grid::clSilver;
using grid::clWindow;
using grid::TAlignment;
using grid::TColumnValue;

TEST(FreeColumnTest, FallbacksWithoutAGrid) {
  grid::TDataGridColumns columns(nullptr);
  grid::TDataGridColumn& column = columns.Add();
  column.SetFieldName("Qty");
  EXPECT_EQ(column.Host(), nullptr);
  EXPECT_EQ(column.Color(), clWindow);
  EXPECT_EQ(column.Width(), 64);
  EXPECT_EQ(column.Alignment(), TAlignment::taLeftJustify);
  EXPECT_FALSE(column.ReadOnly());
  EXPECT_FALSE(column.WordWrap());
  EXPECT_EQ(column.Title().Caption(), "Qty");
  EXPECT_EQ(column.Title().Color(), clBtnFace);
  EXPECT_EQ(column.Title().Alignment(), TAlignment::taLeftJustify);
  EXPECT_EQ(column.Footer().Color(), clWindow);
  // Without a grid the title and footer follow the column's own font.
  column.Font().SetHeight(-20);
  EXPECT_EQ(column.Title().Font().Height(), -20);
  EXPECT_EQ(column.Footer().Font().Height(), -20);
  // A free column stores any width but −1.
  column.SetWidth(-1);
  EXPECT_FALSE(column.IsExplicit(TColumnValue::cvWidth));
  column.SetWidth(80);
  EXPECT_EQ(column.Width(), 80);
}

class OpenGridTest : public GridFixture {
 protected:
  void SetUp() override {
    OpenWithFieldColumns();
    ASSERT_EQ(grid.Columns().Count(), 4);
  }
};

TEST_F(OpenGridTest, ColourFollowsGridAndAlignmentTheFieldUntilSet) {
  EXPECT_EQ(Col(0).Color(), clWindow);
  grid.SetColor(clSilver);
  EXPECT_EQ(Col(0).Color(), clSilver);
  Col(0).SetColor(clGray);
  grid.SetColor(clWindow);
  EXPECT_EQ(Col(0).Color(), clGray);
  EXPECT_EQ(Col(1).Color(), clWindow);
  Col(0).RestoreColumnDefaults();
  EXPECT_EQ(Col(0).Color(), clWindow);
  // Alignment follows the field until set.
  data::TField* qty = query.FindField("Qty");
  qty->SetAlignment(TAlignment::taRightJustify);
  EXPECT_EQ(Col(1).Alignment(), TAlignment::taRightJustify);
  EXPECT_EQ(Col(1).Footer().Alignment(), TAlignment::taRightJustify);
  Col(1).SetAlignment(TAlignment::taCenter);
  qty->SetAlignment(TAlignment::taLeftJustify);
  EXPECT_EQ(Col(1).Alignment(), TAlignment::taCenter);
  // The footer follows the field, not the column.
  EXPECT_EQ(Col(1).Footer().Alignment(), TAlignment::taLeftJustify);
  Col(1).Footer().SetAlignment(TAlignment::taCenter);
  qty->SetAlignment(TAlignment::taRightJustify);
  EXPECT_EQ(Col(1).Footer().Alignment(), TAlignment::taCenter);
}

TEST_F(OpenGridTest, ReadOnlyFromGridOrFieldUntilSetAndUnboundColumnDefaults) {
  EXPECT_FALSE(Col(0).ReadOnly());
  grid.SetReadOnly(true);
  EXPECT_TRUE(Col(0).ReadOnly());
  grid.SetReadOnly(false);
  query.FindField("Name")->SetReadOnly(true);
  EXPECT_TRUE(Col(0).ReadOnly());
  Col(0).SetReadOnly(false);
  EXPECT_FALSE(Col(0).ReadOnly());
  EXPECT_TRUE(Col(0).IsExplicit(TColumnValue::cvReadOnly));
  // An unbound column takes the default width and its name.
  grid::TDataGridColumn& column = grid.Columns().Add();
  column.SetFieldName("Missing");
  EXPECT_EQ(column.BoundField(), nullptr);
  EXPECT_EQ(column.Width(), grid.DefaultColWidth());
  EXPECT_EQ(column.Title().Caption(), "Missing");
  EXPECT_EQ(column.DisplayText(), "");
}

TEST_F(OpenGridTest, FontsAndFooterColoursFollowTheGridUntilChanged) {
  grid.Font().SetHeight(-16);
  EXPECT_EQ(Col(0).Font().Height(), -16);
  // A colour change of the grid font reaches the columns too.
  grid.Font().SetColor(clGray);
  EXPECT_EQ(Col(0).Font().Color(), clGray);
  Col(0).Font().SetColor(clBlack);
  EXPECT_TRUE(Col(0).IsExplicit(TColumnValue::cvFont));
  grid.Font().SetHeight(-12);
  EXPECT_EQ(Col(0).Font().Height(), -16);
  EXPECT_EQ(Col(1).Font().Height(), -12);
  Col(0).RestoreColumnDefaults();
  EXPECT_EQ(Col(0).Font().Height(), -12);
  // The title font follows the grid's title font, colour included.
  grid.TitleFont().SetColor(clGray);
  EXPECT_EQ(Col(0).Title().Font().Color(), clGray);
  Col(0).Title().Font().SetColor(clBlack);
  EXPECT_TRUE(Col(0).IsExplicit(TColumnValue::cvTitleFont));
  grid.TitleFont().SetColor(clSilver);
  grid.TitleFont().SetHeight(-14);
  EXPECT_EQ(Col(0).Title().Font().Color(), clBlack);
  EXPECT_EQ(Col(0).Title().Font().Height(), -12);
  EXPECT_EQ(Col(1).Title().Font().Color(), clSilver);
  EXPECT_EQ(Col(1).Title().Font().Height(), -14);
  // The footer's font and colour follow the grid.
  grid.SetFooterColor(clSilver);
  EXPECT_EQ(Col(0).Footer().Color(), clSilver);
  grid.FooterFont().SetColor(clGray);
  EXPECT_EQ(Col(0).Footer().Font().Color(), clGray);
  int passes = grid.LayoutPassCount();
  Col(0).Footer().Font().SetColor(clBlack);
  EXPECT_TRUE(Col(0).Footer().IsExplicit(grid::TFooterValue::fvFont));
  EXPECT_EQ(grid.LayoutPassCount(), passes + 1);  // a whole-set change
  grid.FooterFont().SetColor(clSilver);
  EXPECT_EQ(Col(0).Footer().Font().Color(), clBlack);
  EXPECT_EQ(Col(1).Footer().Font().Color(), clSilver);
  Col(0).Footer().SetColor(clGray);
  grid.SetFooterColor(clWindow);
  EXPECT_EQ(Col(0).Footer().Color(), clGray);
  Col(0).Footer().RestoreDefaults();
  EXPECT_EQ(Col(0).Footer().Color(), clWindow);
  EXPECT_EQ(Col(0).Footer().Font().Color(), clSilver);
}

TEST_F(OpenGridTest, TitleCaptionFromFieldLabelAlignmentAndColourFromColumnDefaults) {
  EXPECT_EQ(Col(1).Title().Caption(), "Qty");
  query.FindField("Qty")->SetDisplayLabel("数量");
  EXPECT_EQ(Col(1).Title().Caption(), "数量");
  Col(1).Title().SetCaption("Count");
  query.FindField("Qty")->SetDisplayLabel("Other");
  EXPECT_EQ(Col(1).Title().Caption(), "Count");
  Col(1).RestoreColumnDefaults();
  EXPECT_EQ(Col(1).Title().Caption(), "Other");
  // The title's alignment and colour come from the column defaults.
  auto& defaults = grid.ColumnDefValues().Title();
  EXPECT_EQ(Col(0).Title().Alignment(), TAlignment::taLeftJustify);
  grid.SetUseMultiTitle(true);
  EXPECT_EQ(Col(0).Title().Alignment(), TAlignment::taCenter);
  grid.SetUseMultiTitle(false);
  defaults.SetAlignment(TAlignment::taRightJustify);
  EXPECT_EQ(Col(0).Title().Alignment(), TAlignment::taRightJustify);
  Col(0).Title().SetAlignment(TAlignment::taCenter);
  EXPECT_EQ(Col(0).Title().Alignment(), TAlignment::taCenter);
  EXPECT_EQ(Col(1).Title().Alignment(), TAlignment::taRightJustify);

  EXPECT_EQ(Col(0).Title().Color(), clBtnFace);
  grid.SetFixedColor(clSilver);
  EXPECT_EQ(Col(0).Title().Color(), clSilver);
  defaults.SetColor(clGray);
  EXPECT_EQ(Col(0).Title().Color(), clGray);
  Col(1).Title().SetColor(clBlack);
  defaults.SetColor(clWindow);
  EXPECT_EQ(Col(1).Title().Color(), clBlack);
  EXPECT_EQ(Col(0).Title().Color(), clWindow);
}

TEST_F(OpenGridTest, DrawingOptionsFromColumnDefaultsWordWrapAndCheckboxesFromFieldType) {
  EXPECT_FALSE(Col(0).EndEllipsis());
  grid.ColumnDefValues().SetEndEllipsis(true);
  grid.ColumnDefValues().SetToolTips(true);
  grid.ColumnDefValues().Title().SetTitleButton(true);
  EXPECT_TRUE(Col(0).EndEllipsis());
  EXPECT_TRUE(Col(0).ToolTips());
  EXPECT_TRUE(Col(0).Title().TitleButton());
  Col(0).SetEndEllipsis(false);
  EXPECT_FALSE(Col(0).EndEllipsis());
  EXPECT_TRUE(Col(1).EndEllipsis());
  EXPECT_TRUE(Col(0).WordWrap());  // wide text
  EXPECT_FALSE(Col(1).WordWrap());
  EXPECT_FALSE(Col(0).Checkboxes());
  EXPECT_TRUE(Col(3).Checkboxes());  // yes/no
  EXPECT_EQ(Col(3).ColumnKind(), grid::TColumnKind::CheckBoxKind);
  EXPECT_EQ(Col(1).ColumnKind(), grid::TColumnKind::CommonKind);
  // Setting the inherited value leaves it inherited.
  Col(0).SetWordWrap(true);
  EXPECT_FALSE(Col(0).IsExplicit(TColumnValue::cvWordWrap));
  Col(0).SetWordWrap(false);
  EXPECT_TRUE(Col(0).IsExplicit(TColumnValue::cvWordWrap));
  EXPECT_FALSE(Col(0).WordWrap());
  // The check state follows the current record.
  EXPECT_EQ(Col(3).CheckState(), grid::TCheckState::Checked);
  query.Next();
  EXPECT_EQ(Col(3).CheckState(), grid::TCheckState::Unchecked);
  query.Next();
  EXPECT_EQ(Col(3).CheckState(), grid::TCheckState::Grayed);
  Col(3).SetCheckboxes(false);
  EXPECT_EQ(Col(3).ColumnKind(), grid::TColumnKind::CommonKind);
}

TEST_F(OpenGridTest, WidthFromFieldDisplayWidthWithinItsLimits) {
  data::TField* name = query.FindField("Name");
  name->SetDisplayWidth(10);
  EXPECT_EQ(Col(0).FieldBasedWidth(), 64);  // 6 × 10 + 4
  EXPECT_EQ(Col(0).Width(), 64);
  name->SetDisplayWidth(20);
  EXPECT_EQ(Col(0).Width(), 124);
  // Setting the inherited value keeps following the field.
  Col(0).SetWidth(124);
  EXPECT_FALSE(Col(0).IsExplicit(TColumnValue::cvWidth));
  name->SetDisplayWidth(10);
  EXPECT_EQ(Col(0).Width(), 64);
  // The font measures: a 16-pixel font has an 8-pixel "0".
  Col(0).Font().SetHeight(-16);
  EXPECT_EQ(Col(0).Width(), 84);
  // So does its overhang: ("0" is 8 with it) (8 − 2) × 10 + 2 + 4.
  Col(0).Font().SetHeight(-12);
  grid::FixedMetricsCanvas slanted(2);
  grid.SetCanvas(&slanted);
  EXPECT_EQ(Col(0).FieldBasedWidth(), 66);
  grid.SetCanvas(&canvas);
  // Width limits and -1.
  Col(0).SetWidth(-1);
  EXPECT_FALSE(Col(0).IsExplicit(TColumnValue::cvWidth));
  Col(0).SetMaxWidth(200);
  Col(0).SetWidth(300);
  EXPECT_EQ(Col(0).Width(), 200);
  Col(0).SetMinWidth(50);
  Col(0).SetWidth(20);
  EXPECT_EQ(Col(0).Width(), 50);
  // Raising the minimum above the width widens the column.
  Col(0).SetMinWidth(90);
  EXPECT_EQ(Col(0).Width(), 90);
  // The minimum wins over the maximum.
  Col(0).SetMaxWidth(70);
  EXPECT_EQ(Col(0).Width(), 90);
  Col(0).SetMinWidth(0);
  Col(0).SetMaxWidth(60);
  EXPECT_EQ(Col(0).Width(), 60);
  // The grid's cell width follows the column.
  EXPECT_EQ(grid.ColWidth(1), 60);
}

TEST_F(OpenGridTest, DisplayTextByPattern) {
  EXPECT_EQ(Col(2).DisplayText(), "1.5");
  Col(2).SetDisplayFormat("0.00");
  EXPECT_EQ(Col(2).DisplayText(), "1.50");
  query.Next();
  EXPECT_EQ(Col(2).DisplayText(), "");  // null
  // A pattern on a text column shows nothing.
  Col(0).SetDisplayFormat("0");
  EXPECT_EQ(Col(0).DisplayText(), "");
}

}  // namespace
}  // namespace grid_test
