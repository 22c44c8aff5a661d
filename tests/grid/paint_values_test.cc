// The pieces of painting that need no grid: text placement and shortening,
// colour blending, the highlight and frame rules, line positions, glyphs.
#include <gtest/gtest.h>

#include "grid/view/cell_text.h"
#include "grid/view/grid_lines.h"
#include "grid/view/grid_style.h"
#include "grid/view/indicator_glyphs.h"
#include "recording_canvas.h"

namespace grid_test {
namespace {

using namespace grid;
using Kind = RecordingCanvas::Kind;

TEST(ShortenToFitTest, DropsCharactersUntilTheDotsFitAndLinesBreakBetweenWords) {
  FixedMetricsCanvas canvas;  // 6 pixels per ASCII character, 12 per CJK
  struct Case {
    const char* text;
    int width;
    const char* expected;
  } cases[] = {
      {"abcdefgh", 48, "abcdefgh"},  // fits as it is
      {"abcdefgh", 47, "abcd..."},   // "abcdef..." and "abcde..." are too wide
      {"abcdefgh", 40, "abc..."},    // first try drops two characters
      {"abcdefgh", 5, "..."},        // nothing fits: dots alone, still too wide
      // Each CJK character counts two, and none is split.
      {"中文字符", 30, "中..."},
      {"中文字符", 42, "中文..."},
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortenToFit(c.text, canvas, c.width), c.expected) << c.text << " in " << c.width;
  }
  // The result may be exactly as wide as the column.
  EXPECT_EQ(ShortenToFit("abcdefghijk", canvas, 60), "abcdefg...");
  // Lines break at line breaks and between words.
  using Lines = std::vector<std::string_view>;
  EXPECT_EQ(LayoutTextLines(canvas, "one two three\r\nfour", 48, true),
            (Lines{"one two", "three", "four"}));
  // A word wider than the line stays whole.
  EXPECT_EQ(LayoutTextLines(canvas, "abcdefghij k", 30, true), (Lines{"abcdefghij", "k"}));
  // Without breaking, only line breaks count.
  EXPECT_EQ(LayoutTextLines(canvas, "one two three", 10, false).size(), 1u);
}

TEST(DrawCellTextTest, FastPathPlacesTextByAlignmentAndShortensWithAnEllipsis) {
  RecordingCanvas canvas;
  CellTextInput in;
  in.rect = {12, 17, 112, 33};
  in.text = "AB";  // 12 pixels
  in.background = clWindow;
  struct Case {
    TextAlign align;
    int x;
  } cases[] = {{TextAlign::Left, 14}, {TextAlign::Right, 112 - 12 - 3}, {TextAlign::Center, 56}};
  for (const Case& c : cases) {
    canvas.ops.clear();
    in.align = c.align;
    DrawCellText(canvas, in);
    ASSERT_EQ(canvas.ops.size(), 1u);
    const auto& op = canvas.ops[0];
    EXPECT_EQ(op.kind, Kind::Text);
    EXPECT_EQ(op.x, c.x);
    EXPECT_EQ(op.y, 19);
    EXPECT_EQ(op.rect, in.rect);
    EXPECT_EQ(op.color, ResolveColor(clWindow));
  }
  // An ellipsis shortens the text on the fast path.
  canvas.ops.clear();
  in = CellTextInput{};
  in.rect = {0, 0, 10, 16};
  in.text = "apple";
  in.end_ellipsis = true;
  in.background = clWindow;
  DrawCellText(canvas, in);
  ASSERT_EQ(canvas.ops.size(), 1u);
  EXPECT_EQ(canvas.ops[0].text, "...");
  EXPECT_EQ(canvas.ops[0].rect, in.rect);
}

TEST(DrawCellTextTest, WrappedTextFillsThenDrawsInsideTheMargins) {
  RecordingCanvas canvas;
  CellTextInput in;
  in.rect = {0, 0, 60, 40};
  in.text = "one two three";
  in.wrap = true;
  in.background = clBtnFace;
  in.left_margin = 2;
  in.top_margin = 2;
  DrawCellText(canvas, in);
  ASSERT_EQ(canvas.Of(Kind::Fill).size(), 1u);
  EXPECT_EQ(canvas.Of(Kind::Fill)[0]->rect, in.rect);
  auto texts = canvas.Of(Kind::DrawText);
  ASSERT_EQ(texts.size(), 1u);
  // Shrunk by the margins on both sides, one pixel more at the bottom.
  EXPECT_EQ(texts[0]->rect, (Rect{2, 2, 58, 39}));
  EXPECT_TRUE(texts[0]->format.word_break);
  // Clipped to the cell while drawing.
  ASSERT_FALSE(canvas.Of(Kind::PushClip).empty());
  EXPECT_EQ(canvas.Of(Kind::PushClip)[0]->rect, in.rect);

  // Centred: three lines of 12 in a 36-pixel box start at its top.
  canvas.ops.clear();
  in.layout = TextLayout::Center;
  in.rect = {0, 0, 44, 60};  // 40 pixels inside: "one", "two", "three"
  DrawCellText(canvas, in);
  texts = canvas.Of(Kind::DrawText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->rect.top, 2 + 56 / 2 - 36 / 2);
}

TEST(BlendTowardsTest, MixesThenLightens) {
  // White towards the highlight: 127.5 → 186 → 202 (ungrayed) per red and
  // green; blue 191.5 → 211.6 → 234.
  EXPECT_EQ(BlendTowards(clWindow, clHighlight, true), RGB(202, 202, 234));
  EXPECT_EQ(BlendTowards(clWindow, clHighlight, false), RGB(186, 186, 212));
  EXPECT_EQ(BlendTowards(clWhite, clBtnShadow, false), RGB(212, 212, 212));
  // Black towards black, pushed away from grey, stays within 0…255.
  EXPECT_EQ(BlendTowards(clBlack, clBlack, true), RGB(138, 138, 138));
}

TEST(DataCellHighlightTest, RowSelectGridHighlightsTheCurrentRowOnlyWithFocus) {
  HighlightInput in;
  in.options = dgRowSelect | dgTitles | dgIndicator;
  in.ext_options = dgxFixed3D | dgxHighlightFocus;
  in.background = clWindow;
  in.font_color = clWindowText;
  in.current_row = true;
  in.selected = true;
  struct Case {
    bool focus;
    TDBGridOptions extra;
    bool lit;
    TColor background;
    TColor font;
  } cases[] = {
      {true, 0, true, clHighlight, clHighlightText},
      {false, 0, false, clWindow, clWindowText},
      // Always showing the selection: the current row in shadow colour.
      {false, dgAlwaysShowSelection, true, clBtnShadow, clHighlightText},
  };
  for (const Case& c : cases) {
    HighlightInput h = in;
    h.has_focus = c.focus;
    h.options |= c.extra;
    HighlightResult r = DataCellHighlight(h);
    EXPECT_EQ(r.highlighted, c.lit);
    EXPECT_EQ(r.background, c.background);
    EXPECT_EQ(r.font_color, c.font);
  }
  // Other rows never light up.
  HighlightInput other = in;
  other.current_row = false;
  other.selected = false;
  other.has_focus = true;
  EXPECT_FALSE(DataCellHighlight(other).highlighted);
}

TEST(DataCellHighlightTest, SoftSelectionBlendsCellsThatAreNotCurrent) {
  HighlightInput in;
  in.options = dgAlwaysShowSelection;
  in.ext_options = dgxHighlightFocus;
  in.background = clWindow;
  in.font_color = clWindowText;
  in.selected = true;
  in.current_row = false;
  in.soft_selection = true;
  in.has_focus = true;
  HighlightResult r = DataCellHighlight(in);
  EXPECT_TRUE(r.highlighted);
  EXPECT_EQ(r.background, BlendTowards(clWindow, clHighlight, true));
  EXPECT_EQ(r.font_color, clWindowText);
  // Without focus: blended towards the shadow, or button face on few colours.
  in.has_focus = false;
  EXPECT_EQ(DataCellHighlight(in).background, BlendTowards(clWindow, clBtnShadow, false));
  in.screen_colors = 16;
  EXPECT_EQ(DataCellHighlight(in).background, clBtnFace);
}

TEST(CellHasFrameTest, WhichCellsAreFramed) {
  const TDataGridExtOptions program = dgxFixed3D | dgxHighlightFocus | dgxClearSelection;
  struct Case {
    const char* what;
    FrameInput in;
    bool framed;
  } cases[] = {
      {"indicator", {true, true, false, false, false, program}, true},
      {"title", {true, false, true, false, false, program}, true},
      {"corner", {true, true, true, false, false, program}, true},
      {"filler indicator", {true, true, false, true, false, program}, false},
      {"footer indicator", {true, true, false, false, true, program}, true},
      {"data", {false, false, false, false, false, program}, false},
      {"footer", {false, false, false, false, true, program}, false},
      {"3D footer", {false, false, false, false, true, dgxFooter3D}, true},
      {"3D data", {false, false, false, false, false, dgxData3D}, true},
      {"3D filler indicator", {true, true, false, true, false, dgxFixed3D | dgxData3D}, true},
      {"frozen", {true, false, false, false, false, program}, false},
      {"3D frozen", {true, false, false, false, false, dgxFrozen3D}, true},
  };
  for (const Case& c : cases) EXPECT_EQ(CellHasFrame(c.in), c.framed) << c.what;
}

TEST(AxisLinesTest, OneLineAfterEachCellThatTakesPixelsUpToTheLastFullCell) {
  AxisInput input;
  input.sizes = {11, 64, -1, 64, 64};
  input.line_width = 1;
  input.fixed_count = 1;
  input.first_scroll_cell = 1;
  input.extent = 400;
  AxisLayout axis = ComputeAxis(input);
  StrokeArea area;
  area.rect = {axis.fixed_end, 0, axis.used_end, 50};
  area.first_col = 1;
  auto lines = AxisLines(axis, area, true);
  // The hidden column takes no pixels and gets no line of its own.
  EXPECT_EQ(lines, (std::vector<LineSegment>{
                       {{76, 0}, {76, 50}}, {{141, 0}, {141, 50}}, {{206, 0}, {206, 50}}}));
  // A line on the far edge is left out when asked.
  area.rect.right = 206;
  area.far_edge_line = false;
  EXPECT_EQ(AxisLines(axis, area, true).size(), 2u);
  // Lines stop at the last full cell.
  AxisInput rows_in;
  rows_in.sizes = {16, 16, 16, 16};
  rows_in.line_width = 1;
  rows_in.fixed_count = 1;
  rows_in.first_scroll_cell = 1;
  rows_in.extent = 40;  // title, one data row, then a cut row
  AxisLayout rows_axis = ComputeAxis(rows_in);
  StrokeArea rows_area;
  rows_area.rect = {0, 0, 100, rows_axis.used_end};
  auto row_lines = AxisLines(rows_axis, rows_area, false);
  ASSERT_EQ(row_lines.size(), 2u);
  EXPECT_EQ(row_lines[1].from.y, 33);
}

TEST(StrokeLinesTest, EmptyAreaDrawsNothingAndColoursFollowTheWish) {
  AxisInput input;
  input.sizes = {11, 64};
  input.line_width = 1;
  input.extent = 100;
  AxisLayout h = ComputeAxis(input);
  AxisLayout v = ComputeAxis(input);
  RecordingCanvas canvas;
  StrokeArea area;
  area.rect = {0, 0, 0, 50};
  StrokeLines(canvas, h, v, area);
  EXPECT_TRUE(canvas.ops.empty());
  area.rect = {0, 0, 100, 100};
  area.col_lines = true;
  area.row_lines = false;
  area.on_color = clBlack;
  area.off_color = clBtnFace;
  StrokeLines(canvas, h, v, area);
  // Horizontal lines first when they are not wanted, in the background colour.
  auto ops = canvas.Of(Kind::Lines);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0]->color, clBtnFace);
  EXPECT_EQ(ops[0]->lines[0].from.y, ops[0]->lines[0].to.y);
  EXPECT_EQ(ops[1]->color, clBlack);
}

TEST(IndicatorGlyphsTest, PicturesHaveTheirShapes) {
  const MonoImage& arrow = IndicatorGlyphAt(kGlyphArrow).image;
  EXPECT_EQ(arrow.width, 6);
  EXPECT_EQ(arrow.height, 11);
  for (int y = 0; y < 11; ++y) EXPECT_TRUE(arrow.Pixel(0, y)) << y;  // full height
  EXPECT_TRUE(arrow.Pixel(5, 5));                                    // the tip in the middle row
  EXPECT_FALSE(arrow.Pixel(5, 4));
  EXPECT_FALSE(arrow.Pixel(5, 6));
  // The I-beam: a 2-pixel bar between serifs.
  const MonoImage& beam = IndicatorGlyphAt(kGlyphEdit).image;
  EXPECT_TRUE(beam.Pixel(2, 5) && beam.Pixel(3, 5));
  EXPECT_FALSE(beam.Pixel(1, 5) || beam.Pixel(4, 5));
  EXPECT_TRUE(beam.Pixel(0, 0) && beam.Pixel(5, 10));
  // The asterisk keeps to the five middle rows.
  const MonoImage& star = IndicatorGlyphAt(kGlyphInsert).image;
  for (int y = 0; y < 11; ++y) {
    bool any = false;
    for (int x = 0; x < 6; ++x) any |= star.Pixel(x, y);
    EXPECT_EQ(any, y >= 3 && y <= 7) << y;
  }
  // The search glyph paints its own yellow box under a white arrow.
  RecordingCanvas canvas;
  DrawIndicatorGlyph(canvas, kGlyphSearchArrow, 3, 19);
  ASSERT_EQ(canvas.ops.size(), 2u);
  EXPECT_EQ(canvas.ops[0].rect, (Rect{3, 19, 9, 30}));
  EXPECT_EQ(canvas.ops[0].color, clYellow);
  EXPECT_EQ(canvas.ops[1].color, clWhite);
  EXPECT_EQ(&IndicatorGlyphAt(99), &IndicatorGlyphAt(kGlyphArrow));
}

}  // namespace
}  // namespace grid_test
