// Axis layouts, cell positions and boxes, scroll limits and row heights,
// table-driven in both directions where it matters.
#include <gtest/gtest.h>

#include "grid/view/axis_layout.h"
#include "grid/view/row_metrics.h"
#include "grid/view/scroll_bar.h"

namespace grid {
namespace {

AxisInput Columns(std::vector<int> sizes, int extent, int first_scroll = 1, int fixed = 1) {
  AxisInput in;
  in.sizes = std::move(sizes);
  in.line_width = 1;
  in.fixed_count = fixed;
  in.first_scroll_cell = first_scroll;
  in.extent = extent;
  return in;
}

// The view's own grid: indicator, four 100-pixel columns; title, five
// records, the filler and one footer row in 272 pixels.
TEST(AxisLayoutTest, ProgramGridBothAxesCellPositionsAndPartlyVisibleCells) {
  AxisLayout h = ComputeAxis(Columns({11, 100, 100, 100, 100}, 686));
  EXPECT_EQ(h.fixed_end, 12);
  EXPECT_EQ(h.used_end, 416);
  EXPECT_EQ(h.full_visible_end, 416);
  EXPECT_EQ(h.last_full_cell, 4);

  AxisInput rows = Columns({16, 16, 16, 16, 16, 16, 152, 16}, 272);
  rows.footer_count = 1;
  AxisLayout v = ComputeAxis(rows);
  EXPECT_EQ(v.fixed_end, 17);
  EXPECT_EQ(v.used_end, 272);
  EXPECT_EQ(v.last_full_cell, 7);
  EXPECT_EQ(v.footer_span, 17);
  // The footer row sits on the bottom edge, its line just outside.
  EXPECT_EQ(CellRect(h, v, 1, 7), (Rect{12, 255, 112, 271}));
  EXPECT_EQ(CellRect(h, v, 0, 0), (Rect{0, 0, 11, 16}));
  EXPECT_EQ(CellRect(h, v, 1, 1), (Rect{12, 17, 112, 33}));
  EXPECT_EQ(CellRect(h, v, 2, 6), (Rect{113, 102, 213, 254}));
  // Cell positions, scrolled and hidden.
  const std::vector<int> four = {11, 100, 100, 100};
  const struct {
    std::vector<int> sizes;
    int extent, first_scroll, cell, position;
  } cases[] = {
      {four, 686, 1, 0, 0},
      {four, 686, 1, 1, 12},
      {four, 686, 1, 3, 214},
      // Scrolled by two columns: the first scrolling cell starts at the
      // fixed end, the ones scrolled away have no position.
      {four, 686, 3, 3, 12},
      {four, 686, 3, 1, 0},
      // A hidden column (−1 plus its line) takes no pixels.
      {{11, 100, -1, 100}, 686, 1, 3, 113},
      // Off screen.
      {four, 150, 1, 3, 0},
  };
  for (const auto& c : cases) {
    AxisLayout axis = ComputeAxis(Columns(c.sizes, c.extent, c.first_scroll));
    EXPECT_EQ(CellPosition(axis, c.cell), c.position) << c.first_scroll << " " << c.cell;
  }
  // A partly visible cell ends the drawn area.
  AxisLayout partial = ComputeAxis(Columns({11, 100, 100, 100, 100}, 300));
  EXPECT_EQ(partial.last_full_cell, 2);
  EXPECT_EQ(partial.full_visible_end, 214);
  EXPECT_EQ(partial.used_end, 300);
  // A cell whose content ends exactly at the extent counts as visible.
  AxisLayout exact = ComputeAxis(Columns({11, 100, 100}, 213));
  EXPECT_EQ(exact.last_full_cell, 2);
  // A box reaching past the last full cell includes the partial one.
  int start = 0, end = 0;
  ASSERT_TRUE(AxisSpan(partial, 1, 4, &start, &end));
  EXPECT_EQ(start, 12);
  EXPECT_EQ(end, 300);
  // A range wholly scrolled away has no box.
  AxisLayout scrolled = ComputeAxis(Columns({11, 100, 100, 100, 100}, 686, 3));
  EXPECT_FALSE(AxisSpan(scrolled, 1, 2, &start, &end));
  EXPECT_TRUE(BoxRect(scrolled, scrolled, 1, 0, 2, 0).Empty());
  ASSERT_TRUE(AxisSpan(scrolled, 1, 3, &start, &end));
  EXPECT_EQ(start, 12);
  EXPECT_EQ(end, 112);
}

TEST(AxisLayoutTest, FrozenColumnsMaxLeftScrollColAndFixedColCount) {
  const struct {
    std::vector<int> sizes;
    int extent, expected;
  } limits[] = {
      {{11, 100, 100, 100, 100}, 250, 3},
      {{11, 100, 100, 100, 100}, 686, 1},
      {{11, 100, 100, 100, -1}, 250, 2},
      {{11, 500, 500}, 250, 2},
      {{11, 500, 0}, 250, 1},
      {{11}, 250, 0},
  };
  for (const auto& c : limits) {
    EXPECT_EQ(MaxLeftScrollCol(ComputeAxis(Columns(c.sizes, c.extent))), c.expected)
        << c.sizes.size() << " " << c.extent;
  }
  const struct {
    std::vector<bool> visible;
    int frozen, expected;
  } fixed[] = {
      {{true, true, true}, 0, 1},
      {{false, true, true}, 0, 2},
      {{true, false, true, true}, 1, 3},
      {{false, true, true}, 1, 3},
      {{true, true}, 5, 3},
      {{false, false}, 0, 2},
      {{}, 0, 0},
  };
  for (const auto& c : fixed) {
    EXPECT_EQ(ComputeFixedColCount(c.visible, c.frozen, 1), c.expected)
        << c.visible.size() << " " << c.frozen;
  }
  // Frozen columns are fixed and counted.
  AxisInput in = Columns({11, 50, 100, 100}, 686, 2, 2);
  in.frozen_count = 1;
  AxisLayout h = ComputeAxis(in);
  EXPECT_EQ(h.fixed_end, 63);
  EXPECT_EQ(h.frozen_span, 51);
}

TextMetrics Metrics12() {
  TextMetrics tm;
  tm.height = 12;
  tm.ascent = 11;
  tm.descent = 1;
  return tm;
}

TEST(RowMetricsTest, DataRowHeightAndRecordsThatFitTheProgramsGrid) {
  const struct {
    bool flat;
    int line_width, row_height, row_lines;
    bool fit;
    int expected, expected_row_lines;
    bool can_wrap;
  } cases[] = {
      {false, 1, 0, 0, false, 16, 0, false}, {true, 1, 0, 0, false, 14, 0, false},
      {false, 0, 0, 0, false, 15, 0, false}, {false, 1, 0, 2, false, 24, 2, true},
      {false, 1, 20, 0, false, 20, 0, true}, {false, 1, 0, 0, true, 16, 1, false},
      {false, 1, 30, 0, true, 28, 2, true},  {false, 1, 35, 0, true, 40, 3, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.flat << c.line_width << " " << c.row_height << " " << c.row_lines << c.fit);
    DataRowInput in;
    in.text_height = 12;
    in.metrics = Metrics12();
    in.flat = c.flat;
    in.line_width = c.line_width;
    in.row_height = c.row_height;
    in.row_lines = c.row_lines;
    in.fit_to_text = c.fit;
    DataRowResult out = ComputeDataRowHeight(in);
    EXPECT_EQ(out.data_row_height, c.expected);
    EXPECT_EQ(out.row_lines, c.expected_row_lines);
    EXPECT_EQ(out.can_wrap_text, c.can_wrap);
  }
  // The records that fit the program's grid.
  int fixed = FixedRowsHeight(true, 1, 16, 17, 1, 1);
  EXPECT_EQ(fixed, 35);
  EXPECT_EQ(RecordsThatFit(272, fixed, 17), 13);
  EXPECT_EQ(272 - fixed - 5 * 17, 152);  // the filler with five records
  EXPECT_EQ(RecordsThatFit(20, fixed, 17), 1);
  EXPECT_EQ(FixedRowsHeight(true, 1, 16, 17, 1, 0), 17);
  EXPECT_EQ(FixedRowsHeight(false, 0, 16, 17, 1, 2), 35);
  EXPECT_EQ(FormulaTitleRowHeight(2, 0, Metrics12(), true), 27);
  EXPECT_EQ(FormulaTitleRowHeight(1, 5, Metrics12(), false), 19);
}

VerticalBarInput Live(bool sequenced, int rows, int count, int number, bool bof = false,
                      bool eof = false) {
  VerticalBarInput in;
  in.live = true;
  in.sequenced = sequenced;
  in.visible_rows = rows;
  in.record_count = count;
  in.record_number = number;
  in.bof = bof;
  in.eof = eof;
  return in;
}

TEST(VerticalBarTest, ValuesAndNothingToScrollWhenThePageHoldsTheRange) {
  VerticalBarInput keeping_position = Live(true, 12, 250, -1);
  keeping_position.current.pos = 17;
  keeping_position.keep_position = true;
  VerticalBarInput never_shown = Live(true, 12, 250, 40);
  never_shown.can_scroll = false;
  const struct {
    VerticalBarInput in;
    ScrollInfo expected;
  } cases[] = {
      {Live(true, 12, 250, 40), ScrollInfo{1, 261, 12, 40}},
      {Live(false, 12, 250, 40), ScrollInfo{0, 4, 0, 2}},
      {Live(false, 12, 250, 1, true), ScrollInfo{0, 4, 0, 0}},
      {Live(false, 12, 250, 250, false, true), ScrollInfo{0, 4, 0, 4}},
      {VerticalBarInput{}, ScrollInfo{0, 1, 2, 0}},
      {keeping_position, ScrollInfo{1, 261, 12, 17}},
      {never_shown, ScrollInfo{1, 1, 12, 40}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(VerticalBarTarget(cases[i].in), cases[i].expected) << "case " << i;
  }
  // Nothing to scroll when the page holds the range.
  EXPECT_TRUE(NothingToScroll(ScrollInfo{0, 1, 2, 0}));
  EXPECT_TRUE(NothingToScroll(ScrollInfo{1, 13, 13, 1}));   // one record
  EXPECT_FALSE(NothingToScroll(ScrollInfo{1, 17, 13, 1}));  // five: positions 1 to 5
  EXPECT_TRUE(NothingToScroll(ScrollInfo{1, 1, 12, 40}));
}

}  // namespace
}  // namespace grid
