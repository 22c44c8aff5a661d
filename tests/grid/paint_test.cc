// What a paint of the grid draws, asserted on the reference metrics: 16-pixel
// rows, the 11-pixel indicator column, text and glyph positions, colours of
// lines and highlights, and that painting touches only what it must.
#include <gtest/gtest.h>

#include <algorithm>

#include "grid/base/color.h"
#include "grid/view/indicator_glyphs.h"
#include "grid_fixture.h"
#include "recording_canvas.h"

namespace grid_test {
namespace {

using grid::Rect;
using Kind = RecordingCanvas::Kind;
using V = provider::Variant;

bool Intersects(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The main window's grid: 686 × 293, one footer row, whole-row selection,
// over the open query.
class PaintTest : public GridFixture {
 protected:
  void SetUp() override {
    grid.SetHost(&host);
    UseWindowSettings(grid);
    query.Open();
  }

  RecordingCanvas& PaintAll() { return Paint({0, 0, host.width, host.height}); }
  RecordingCanvas& Paint(const Rect& dirty) {
    out = RecordingCanvas();
    grid.PaintAll(out, dirty);
    return out;
  }
  // Every line segment drawn in `color`.
  std::vector<grid::LineSegment> LinesIn(grid::TColor color) const {
    std::vector<grid::LineSegment> lines;
    for (const auto* op : out.Of(Kind::Lines)) {
      if (op->color == color) lines.insert(lines.end(), op->lines.begin(), op->lines.end());
    }
    return lines;
  }

  // What drew `text`: a failure, and an empty operation, when nothing did.
  RecordingCanvas::Op Drawn(const std::string& text) {
    const auto* op = out.TextOp(text);
    if (op == nullptr) ADD_FAILURE() << "nothing drew \"" << text << "\"";
    return op ? *op : RecordingCanvas::Op{};
  }

  RecordingCanvas out;
};

TEST_F(PaintTest, IndicatorShowsTheRecordStateAndFixedCellsAreRaisedButtons) {
  PaintAll();
  auto images = out.Of(Kind::Image);
  ASSERT_EQ(images.size(), 1u);
  // Row 1 starts at 17; the framed cell is 9 × 14 and the arrow sits
  // 3 pixels in from the left and 2 below the top.
  EXPECT_EQ(images[0]->x, 3);
  EXPECT_EQ(images[0]->y, 17 + 2);
  EXPECT_EQ(images[0]->color, grid::clBlack);
  EXPECT_EQ(images[0]->image.rows, grid::IndicatorGlyphAt(grid::kGlyphArrow).image.rows);
  EXPECT_EQ(grid.IndicatorRow(), 1);

  query.MoveBy(2);
  query.Edit();
  PaintAll();
  images = out.Of(Kind::Image);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0]->y, 17 * 3 + 2);
  EXPECT_EQ(images[0]->image.rows, grid::IndicatorGlyphAt(grid::kGlyphEdit).image.rows);
  EXPECT_EQ(grid.IndicatorRow(), 3);
  query.Cancel();
  // Fixed cells are raised buttons, except the filler.
  PaintAll();
  std::vector<Rect> edges;
  for (const auto* op : out.Of(Kind::Edge)) {
    EXPECT_EQ(op->edge, grid::EdgeStyle::RaisedInner);
    EXPECT_EQ(op->sides, grid::kEdgeRect);
    edges.push_back(op->rect);
  }
  auto framed = [&](const Rect& r) { return std::count(edges.begin(), edges.end(), r) == 1; };
  EXPECT_TRUE(framed(grid.CellRect(0, 0)));  // the corner
  EXPECT_TRUE(framed(grid.CellRect(1, 0)));  // a title
  EXPECT_TRUE(framed(grid.CellRect(0, 1)));  // an indicator
  const int filler = grid.RowCount() - 2, footer = grid.RowCount() - 1;
  EXPECT_FALSE(framed(grid.CellRect(0, filler)));
  EXPECT_TRUE(framed(grid.CellRect(0, footer)));
  EXPECT_FALSE(framed(grid.CellRect(1, 1)));       // data
  EXPECT_FALSE(framed(grid.CellRect(1, footer)));  // footer
  // The filler's indicator cell has the grid's colour, the footer's the
  // fixed colour; the footer's has no glyph.
  Rect filler_cell = grid.CellRect(0, filler);
  bool filler_filled = false;
  for (const auto* op : out.Of(Kind::Fill)) {
    if (op->rect == filler_cell) filler_filled = op->color == grid::clWindow;
  }
  EXPECT_TRUE(filler_filled);
  for (const auto* op : out.Of(Kind::Image)) EXPECT_LT(op->y, grid.CellRect(0, filler).top);
}

TEST_F(PaintTest, TextSitsTwoPixelsInAndRightAlignedThreeFromTheEdge) {
  PaintAll();
  Rect name = grid.CellRect(1, 1);
  const auto apple = Drawn("apple");
  EXPECT_EQ(apple.kind, Kind::Text);
  EXPECT_EQ(apple.rect, name);
  EXPECT_EQ(apple.x, name.left + 2);
  EXPECT_EQ(apple.y, name.top + 2);
  EXPECT_EQ(apple.color, grid::ResolveColor(grid::clWindow));

  Rect qty = grid.CellRect(2, 2);
  const auto two = Drawn("2");
  EXPECT_EQ(two.rect, qty);
  EXPECT_EQ(two.x + 6, qty.right - 3);  // "2" is 6 pixels wide

  // Titles: in the 1-pixel frame, text one more pixel in and 2 below the top.
  Rect title = grid.CellRect(1, 0);
  auto caption = Drawn("Name");
  EXPECT_EQ(caption.rect, (Rect{title.left + 1, title.top + 1, title.right - 1, title.bottom - 1}));
  EXPECT_EQ(caption.x, title.left + 2);
  EXPECT_EQ(caption.y, title.top + 2);

  // Centred in the shrunk cell: 98 pixels inside the frame, 12 of text,
  // so 49 − 6 = 43 from the inner left.
  Col(0).SetWidth(100);
  Col(0).Title().SetCaption("AB");
  Col(0).Title().SetAlignment(grid::TAlignment::taCenter);
  PaintAll();
  caption = Drawn("AB");
  EXPECT_EQ(caption.x, grid.CellRect(1, 0).left + 1 + 43);
  EXPECT_EQ(caption.y, title.top + 2);
}

TEST_F(PaintTest, CurrentRowIsHighlightedOnlyWithFocus) {
  PaintAll();
  for (const auto* op : out.Of(Kind::Text)) {
    EXPECT_NE(op->color, grid::ResolveColor(grid::clHighlight)) << op->text;
  }
  EXPECT_TRUE(out.Of(Kind::Focus).empty());

  grid.SetFocused(true);
  PaintAll();
  const int row = grid.CurrentRow();
  int lit = 0;
  for (const auto* op : out.Of(Kind::Text)) {
    bool in_row = op->rect.top == grid.CellRect(1, row).top && op->rect.left >= 12;
    if (in_row) {
      ++lit;
      EXPECT_EQ(op->color, grid::ResolveColor(grid::clHighlight)) << op->text;
      EXPECT_EQ(op->font.color, grid::clHighlightText) << op->text;
    } else {
      EXPECT_NE(op->color, grid::ResolveColor(grid::clHighlight)) << op->text;
    }
  }
  EXPECT_EQ(lit, 3);  // name, quantity, price; the yes/no column is a check box
  auto focus = out.Of(Kind::Focus);
  ASSERT_EQ(focus.size(), 1u);
  EXPECT_EQ(focus[0]->rect, grid.BoxRect(1, row, grid.ColCount() - 1, row));
}

TEST_F(PaintTest, BlackLinesInTheFixedAreaSilverInTheData) {
  PaintAll();
  auto black = LinesIn(grid::clBlack);
  auto silver = LinesIn(grid::clSilver);
  ASSERT_FALSE(black.empty());
  ASSERT_FALSE(silver.empty());
  // The indicator column's line and the title row's line are black.
  auto has = [](const std::vector<grid::LineSegment>& lines, grid::LineSegment s) {
    return std::find(lines.begin(), lines.end(), s) != lines.end();
  };
  EXPECT_TRUE(has(black, {{11, 17}, {11, 272}}) || has(black, {{11, 17}, {11, 293}}));
  EXPECT_TRUE(has(black, {{12, 16}, {grid.CellRect(4, 0).right + 1, 16}}));
  // Every silver line lies in the data area, right of and below the fixed cells.
  for (const auto& s : silver) {
    EXPECT_GE(std::min(s.from.x, s.to.x), 12);
    EXPECT_GE(std::min(s.from.y, s.to.y), 17);
  }
  // Silver lines run through data, filler and footer rows.
  const int footer_top = grid.CellRect(1, grid.RowCount() - 1).top;
  EXPECT_TRUE(has(silver, {{12, footer_top - 1}, {grid.CellRect(4, 0).right + 1, footer_top - 1}}));
  for (const auto* op : out.Of(Kind::Lines)) EXPECT_EQ(op->width, 1);
  // A silver grid gets grey data lines instead.
  grid.SetColor(grid::clSilver);
  PaintAll();
  EXPECT_TRUE(LinesIn(grid::clSilver).empty());
  EXPECT_FALSE(LinesIn(grid::clGray).empty());
  EXPECT_FALSE(LinesIn(grid::clBlack).empty());
}

TEST_F(PaintTest, StripRightOfTheLastColumnIsFilledWithoutLinesAndCheckBoxesCentred) {
  PaintAll();
  const int used = grid.CellRect(4, 0).right + 1;
  ASSERT_LT(used, host.width);
  bool strip = false;
  for (const auto* op : out.Of(Kind::Fill)) {
    strip |= op->rect.left == used && op->rect.right == host.width && op->rect.top == 0 &&
             op->color == grid::clWindow;
  }
  EXPECT_TRUE(strip);
  for (const auto* op : out.Of(Kind::Lines)) {
    for (const auto& s : op->lines) {
      EXPECT_LE(std::max(s.from.x, s.to.x), used);
      if (s.from.x == s.to.x) {
        EXPECT_LT(s.from.x, used);
      }
    }
  }
  // The yes/no column shows centred check boxes.
  auto boxes = out.Of(Kind::CheckBox);
  ASSERT_EQ(boxes.size(), 3u);
  Rect cell = grid.CellRect(4, 1);
  EXPECT_EQ(boxes[0]->rect.left, cell.left + cell.Width() / 2 - 6);
  EXPECT_EQ(boxes[0]->rect.Width(), 13);
  EXPECT_EQ(boxes[0]->check, grid::CheckBoxState::Checked);
  EXPECT_EQ(boxes[1]->check, grid::CheckBoxState::Unchecked);
  EXPECT_EQ(boxes[2]->check, grid::CheckBoxState::Grayed);  // null
}

// A very narrow column with an ellipsis shows dots; a hidden one paints
// nothing, and the next column starts where it would have.
TEST_F(PaintTest, NarrowColumnShowsDotsAndHiddenColumnPaintsNothing) {
  Col(0).SetWidth(10);
  Col(0).SetEndEllipsis(true);
  Col(1).SetVisible(false);
  PaintAll();
  EXPECT_EQ(Drawn("...").rect, grid.CellRect(1, 1));  // clipped to the cell
  EXPECT_EQ(out.TextOp("apple"), nullptr);
  EXPECT_EQ(out.TextOp("5"), nullptr);
  EXPECT_EQ(out.TextOp("Qty"), nullptr);
  EXPECT_EQ(Drawn("Price").rect.left, grid.CellRect(1, 0).right + 1 + 1);
  for (const auto* op : out.Of(Kind::Fill)) EXPECT_FALSE(op->rect.Empty());
}

TEST_F(PaintTest, FooterCellsAtTheBottomWithTheirTexts) {
  Col(0).Footer().SetValueType(grid::TFooterValueType::fvtStaticText);
  Col(0).Footer().SetValue("合计");
  Col(1).Footer().SetValueType(grid::TFooterValueType::fvtCount);
  grid.SumList().SetActive(true);
  PaintAll();
  const int footer = grid.RowCount() - 1;
  Rect cell = grid.CellRect(1, footer);
  EXPECT_EQ(cell.bottom, host.height - 1);
  const auto total = Drawn("合计");
  EXPECT_EQ(total.rect, cell);
  EXPECT_EQ(total.x, cell.left + 2);
  EXPECT_EQ(total.color, grid::ResolveColor(grid::clWindow));
  // The count of the three records, in the quantity column's footer cell.
  Rect count_cell = grid.CellRect(2, footer);
  std::string count;
  for (const auto* op : out.Of(Kind::Text)) {
    if (op->rect == count_cell) count = op->text;
  }
  EXPECT_EQ(count, "3");
}

TEST_F(PaintTest, OnlyTheDirtyRectangleIsPaintedAndNoRecordIsRead) {
  Rect dirty = grid.CellRect(1, 2);
  Paint(dirty);
  auto texts = out.Of(Kind::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->text, "pear");
  ASSERT_FALSE(out.ops.empty());
  EXPECT_EQ(out.ops.front().kind, Kind::PushClip);
  EXPECT_EQ(out.ops.front().rect, dirty);
  for (const auto* op : out.Of(Kind::Fill)) EXPECT_TRUE(Intersects(op->rect, dirty));
  EXPECT_TRUE(out.Of(Kind::Image).empty());
  EXPECT_TRUE(out.Of(Kind::Edge).empty());
  // A paint reads no records and keeps the current one.
  query.Close();
  query.Rows() = NumberedRows(200);
  query.Open();
  query.MoveBy(20);
  const int fetches = query.fetches;
  const int active = grid.DataLink().ActiveRow();
  const int recno = query.RecNo();
  PaintAll();
  EXPECT_EQ(query.fetches, fetches);
  EXPECT_EQ(grid.DataLink().ActiveRow(), active);
  EXPECT_EQ(query.RecNo(), recno);
  // Each visible row shows its own record.
  const int top = query.RecNo() - 1 - active;
  for (int r = 0; r < grid.DataLink().RowsInWindow(); ++r) {
    EXPECT_EQ(Drawn("row" + std::to_string(top + r)).rect, grid.CellRect(1, 1 + r)) << r;
  }
  EXPECT_EQ(out.TextOp("row" + std::to_string(top + grid.DataLink().RowsInWindow())), nullptr);
}

TEST_F(PaintTest, ClosedOrLoadingGridShowsNoValues) {
  query.Close();
  PaintAll();
  EXPECT_TRUE(out.Of(Kind::Image).empty());
  EXPECT_TRUE(out.Of(Kind::CheckBox).empty());
  for (const auto* op : out.Of(Kind::Text)) EXPECT_TRUE(op->text.empty()) << op->text;
  // While loading, only the cells are filled.
  query.Open();
  grid.BeginLoading();
  PaintAll();
  EXPECT_TRUE(out.Of(Kind::Text).empty());
  EXPECT_TRUE(out.Of(Kind::Image).empty());
  for (const auto* op : out.Of(Kind::Fill)) EXPECT_EQ(op->color, grid::clWindow);
  grid.EndLoading();
}

TEST_F(PaintTest, FlatGridUsesGreyLinesFlatFramesAndATighterTop) {
  grid.SetFlat(true);
  PaintAll();
  EXPECT_TRUE(LinesIn(grid::clBlack).empty());
  EXPECT_FALSE(LinesIn(grid::clGray).empty());
  // Data text one pixel below the top instead of two.
  EXPECT_EQ(Drawn("apple").y, grid.CellRect(1, 1).top + 1);
  // Frames: the light edge on the left and top only, the bottom and right
  // drawn in the cell's own colour.
  Rect title = grid.CellRect(1, 0);
  bool edge = false, own_colour = false;
  for (const auto& op : out.ops) {
    if (op.kind == Kind::Edge && op.rect == title) {
      edge = op.sides == (grid::kEdgeLeft | grid::kEdgeTop);
    }
    if (op.kind == Kind::Lines && op.color == grid::clBtnFace && op.lines.size() == 2) {
      own_colour |= op.lines[0].from == grid::Point{title.left, title.bottom - 1};
    }
  }
  EXPECT_TRUE(edge);
  EXPECT_TRUE(own_colour);
}

TEST_F(PaintTest, FrozenColumnGetsDataLinesButNoneOnItsRightEdge) {
  grid.SetFrozenCols(1);
  ASSERT_EQ(grid.FixedColCount(), 2);
  PaintAll();
  Rect frozen = grid.CellRect(1, 1);
  bool silver_row_line = false;
  for (const auto& s : LinesIn(grid::clSilver)) {
    // Nothing silver on the frozen column's right edge line.
    EXPECT_FALSE(s.from.x == frozen.right && s.to.x == frozen.right);
    silver_row_line |=
        s.from.y == frozen.bottom && s.from.x == frozen.left && s.to.x == frozen.right;
  }
  EXPECT_TRUE(silver_row_line);
  // Its cells still show their records.
  EXPECT_EQ(Drawn("apple").rect, frozen);
  // With focus the frame starts at the frozen column.
  grid.SetFocused(true);
  PaintAll();
  auto focus = out.Of(Kind::Focus);
  ASSERT_EQ(focus.size(), 1u);
  EXPECT_EQ(focus[0]->rect.left, frozen.left);
}

TEST_F(PaintTest, ScrolledGridStartsTheDataAtTheFirstShownColumn) {
  for (int i = 0; i < grid.Columns().Count(); ++i) Col(i).SetWidth(300);
  grid.SetLeftScrollCol(2);
  ASSERT_EQ(grid.LeftScrollCol(), 2);
  PaintAll();
  EXPECT_EQ(out.TextOp("apple"), nullptr);
  EXPECT_EQ(out.TextOp("Name"), nullptr);
  EXPECT_EQ(Drawn("Qty").rect.left, 12 + 1);  // inside the title's frame
  EXPECT_EQ(Drawn("5").rect, (Rect{12, 17, 312, 33}));
  // The first data line follows the first shown column.
  auto silver = LinesIn(grid::clSilver);
  ASSERT_FALSE(silver.empty());
  EXPECT_EQ(silver.front().from.x, 312);
}

TEST_F(PaintTest, FramedDataCellsSinkWhenHighlighted) {
  grid.SetExtOptions(grid::dgxFixed3D | grid::dgxHighlightFocus | grid::dgxData3D);
  grid.SetFocused(true);
  PaintAll();
  auto edge_of = [&](const Rect& r) -> const RecordingCanvas::Op* {
    for (const auto* op : out.Of(Kind::Edge)) {
      if (op->rect == r) return op;
    }
    return nullptr;
  };
  const auto* current = edge_of(grid.CellRect(1, 1));
  const auto* other = edge_of(grid.CellRect(1, 2));
  ASSERT_NE(current, nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(current->edge, grid::EdgeStyle::SunkenInner);
  EXPECT_EQ(other->edge, grid::EdgeStyle::RaisedInner);
  // Inside the frame the text keeps its place: one pixel frame, one margin.
  const auto pear = Drawn("pear");
  EXPECT_EQ(pear.x, grid.CellRect(1, 2).left + 2);
  EXPECT_EQ(pear.rect.Width(), grid.CellRect(1, 2).Width() - 2);
}

// A window that paints at once whenever something is invalidated.
class EagerHost : public RecordingHost {
 public:
  void InvalidateAll() override {
    RecordingHost::InvalidateAll();
    if (!grid_) return;
    RecordingCanvas canvas;
    grid_->PaintAll(canvas, {0, 0, width, height});
    (grid_->InLayoutPass() ? ops_in_pass : ops_outside) += static_cast<int>(canvas.ops.size());
  }
  grid::TDataGrid* grid_ = nullptr;
  int ops_in_pass = 0;
  int ops_outside = 0;
};

TEST_F(PaintTest, NoPaintWhileTheLayoutPassRuns) {
  query.Close();  // opened again below, under the eager window
  EagerHost eager;
  eager.grid_ = &grid;
  grid.SetHost(&eager);
  query.Open();
  grid.SetRowLines(2);  // a layout pass that invalidates the grid
  grid.InvalidateGrid();
  grid.SetHost(&host);
  EXPECT_EQ(eager.ops_in_pass, 0);
  EXPECT_GT(eager.ops_outside, 0);
}

}  // namespace
}  // namespace grid_test
