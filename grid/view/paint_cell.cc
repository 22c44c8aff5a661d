// One cell of the grid: indicator, title, data, filler or footer, with its
// frame and focus frame.
#include <algorithm>

#include "grid/view/cell_text.h"
#include "grid/view/grid_painter.h"
#include "grid/view/grid_style.h"
#include "grid/view/indicator_glyphs.h"

namespace grid {
namespace {

TextAlign ToTextAlign(TAlignment alignment) {
  switch (alignment) {
    case data::taRightJustify:
      return TextAlign::Right;
    case data::taCenter:
      return TextAlign::Center;
    default:
      return TextAlign::Left;
  }
}

// The text of a title, data or footer cell, drawn from `margin` and
// `top_margin` in, on `background`.
CellTextInput CellText(const Rect& rect, int margin, int top_margin, std::string_view text,
                       TAlignment alignment, TColor background) {
  CellTextInput in;
  in.rect = rect;
  in.left_margin = margin;
  in.top_margin = top_margin;
  in.text = text;
  in.align = ToTextAlign(alignment);
  in.background = background;
  return in;
}

Rect Shrink(const Rect& r, int by) {
  return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

// Puts the link's active row back when a cell is done, also on failure.
class ActiveRowScope {
 public:
  ActiveRowScope(PaintedGrid& grid, int row) : grid_(grid), saved_(grid.ActiveRow()) {
    grid_.SetActiveRow(row);
  }
  ~ActiveRowScope() { grid_.SetActiveRow(saved_); }
  ActiveRowScope(const ActiveRowScope&) = delete;
  ActiveRowScope& operator=(const ActiveRowScope&) = delete;

 private:
  PaintedGrid& grid_;
  int saved_;
};

}  // namespace

void GridPainter::PaintCell(int col, int row, Rect rect, TGridDrawState state) {
  const int c = col - grid_.IndicatorColumns();
  const int r = row - grid_.TitleRowCount();
  if (rect.Width() <= 0) return;
  if (grid_.Loading()) {
    canvas_.FillRect(rect, grid_.Color());
    return;
  }
  const bool fixed = (state & gdFixed) != 0;
  FrameInput frame_in;
  frame_in.fixed = fixed;
  frame_in.indicator = c < 0;
  frame_in.title = r < 0;
  frame_in.filler = IsFillerRow(row);
  frame_in.footer = IsFooterRow(row);
  frame_in.ext_options = grid_.ExtOptions();
  const bool framed = CellHasFrame(frame_in);
  const Rect inner = framed ? Shrink(rect, 1) : rect;
  const int margin = framed ? 1 : 2;
  const int top_margin = grid_.Flat() ? margin - 1 : margin;

  bool highlighted = false;
  TColor brush = grid_.Color();
  if (fixed && c < 0) {
    brush =
        frame_in.filler && !(grid_.ExtOptions() & dgxFrozen3D) ? grid_.Color() : grid_.FixedColor();
    canvas_.FillRect(inner, brush);
    PaintIndicatorCell(row, inner, margin);
  } else if (fixed && r < 0) {
    if (c < grid_.Columns().Count()) {
      brush = grid_.Columns()[c].Title().Color();
      PaintTitleCell(c, inner, margin, top_margin);
    } else {
      brush = grid_.FixedColor();
      canvas_.FillRect(inner, brush);
    }
  } else if (c >= grid_.Columns().Count()) {
    canvas_.FillRect(inner, brush);
  } else {
    TGridColumn& column = grid_.Columns()[c];
    brush = column.Color();
    if (!grid_.LinkActive()) {
      canvas_.FillRect(inner, brush);
    } else if (r < grid_.RowsInWindow() && !frame_in.filler && !frame_in.footer) {
      highlighted = PaintDataCell(col, row, inner, state, margin, top_margin, &brush);
    } else if (frame_in.footer) {
      brush = column.FooterForRow(row - (grid_.RowCount() - grid_.FooterRowCount())).Color();
      PaintFooterCell(c, row, inner, state, margin, top_margin);
    } else {
      canvas_.FillRect(inner, brush);
    }
  }

  if (grid_.DefaultDrawing() && (state & gdFocused) && grid_.Focused() &&
      !(grid_.Options() & dgRowSelect) && grid_.UpdateLock() == 0) {
    canvas_.DrawFocusRect(rect);
  }
  if (framed) DrawFrame(rect, highlighted, brush);
}

void GridPainter::PaintIndicatorCell(int row, const Rect& rect, int margin) {
  if (!grid_.LinkActive()) return;
  const int r = row - grid_.TitleRowCount();
  if (r < 0 || r != grid_.ActiveRow() || IsFillerRow(row) || IsFooterRow(row)) return;
  grid_.SetIndicatorRow(row);
  TDataSet* source = grid_.RecordSource();
  if (!source) return;
  int glyph = kGlyphArrow;
  switch (source->State()) {
    case TDataSetState::Editing:
      glyph = kGlyphEdit;
      break;
    case TDataSetState::Inserting:
      glyph = kGlyphInsert;
      break;
    default:
      break;
  }
  DrawIndicatorGlyph(canvas_, glyph, rect.right - kIndicatorGlyphWidth - margin,
                     (rect.top + rect.bottom - kIndicatorGlyphHeight) / 2);
}

void GridPainter::PaintTitleCell(int c, const Rect& rect, int margin, int top_margin) {
  TGridColumn& column = grid_.Columns()[c];
  TColumnTitle& title = column.Title();
  canvas_.SetFont(title.Font().Spec());
  const std::string caption = title.Caption();
  CellTextInput in = CellText(rect, margin, top_margin, caption, title.Alignment(), title.Color());
  in.end_ellipsis = title.EndEllipsis();
  if (grid_.TitleHeight() != 0 || grid_.TitleLines() != 0) {
    in.wrap = true;
    in.layout = TextLayout::Center;
  }
  DrawCellText(canvas_, in);
}

bool GridPainter::PaintDataCell(int col, int row, const Rect& rect, TGridDrawState& state,
                                int margin, int top_margin, TColor* brush) {
  const int c = col - grid_.IndicatorColumns();
  const int r = row - grid_.TitleRowCount();
  TGridColumn& column = grid_.Columns()[c];
  ActiveRowScope scope(grid_, r);

  TColCellParams params;
  params.col = col;
  params.row = row;
  params.state = state;
  params.font = column.Font().Spec();
  params.alignment = column.Alignment();
  params.background = column.Color();
  const TColumnKind kind = column.ColumnKind();
  if (kind == TColumnKind::CheckBoxKind) {
    switch (column.CheckState()) {
      case TCheckState::Checked:
        params.check_state = CheckBoxState::Checked;
        break;
      case TCheckState::Grayed:
        params.check_state = CheckBoxState::Grayed;
        break;
      default:
        params.check_state = CheckBoxState::Unchecked;
        break;
    }
  } else {
    params.text = column.DisplayText();
  }
  grid_.GetCellParams(params);

  const TDataGridStyle& style = TDataGridStyle::Default();
  HighlightInput h;
  h.selected = (state & gdSelected) != 0;
  h.current_row = row == grid_.CurrentRow();
  h.current_col = col == grid_.CurrentCol();
  h.has_focus = grid_.Focused();
  h.update_locked = grid_.UpdateLock() > 0;
  h.options = grid_.Options();
  h.ext_options = grid_.ExtOptions();
  h.soft_selection = style.SoftSelection();
  h.screen_colors = style.ScreenColors();
  h.background = params.background;
  h.font_color = params.font.color;
  const HighlightResult lit = DataCellHighlight(h, &canvas_);
  if (lit.highlighted) state |= gdSelected;
  params.background = lit.background;
  params.font.color = lit.font_color;
  *brush = params.background;
  canvas_.SetFont(params.font);

  if (kind == TColumnKind::CheckBoxKind) {
    canvas_.FillRect(rect, params.background);
    const Size box = canvas_.CheckBoxSize();
    Rect b;
    b.left = rect.Width() >= box.width ? rect.left + rect.Width() / 2 - box.width / 2 : rect.left;
    b.right = rect.Width() >= box.width ? b.left + box.width : rect.right;
    b.top = rect.Height() >= box.height ? rect.top + rect.Height() / 2 - box.height / 2 : rect.top;
    b.bottom = rect.Height() >= box.height ? b.top + box.height : rect.bottom;
    canvas_.DrawCheckBox(b, params.check_state, grid_.Flat());
  } else {
    CellTextInput in =
        CellText(rect, margin, top_margin, params.text, params.alignment, params.background);
    in.wrap = column.WordWrap() && grid_.CanWrapText();
    in.end_ellipsis = column.EndEllipsis();
    DrawCellText(canvas_, in);
  }
  grid_.DrawColumnCell(rect, c, column, state);
  return lit.highlighted;
}

void GridPainter::PaintFooterCell(int c, int row, const Rect& rect, TGridDrawState state,
                                  int margin, int top_margin) {
  TGridColumn& column = grid_.Columns()[c];
  const int k = row - (grid_.RowCount() - grid_.FooterRowCount());
  TColumnFooter& footer = column.FooterForRow(k);
  TFooterCellParams params;
  params.col = c;
  params.footer_row = k;
  params.state = state;
  params.font = footer.Font().Spec();
  params.background = footer.Color();
  params.alignment = footer.Alignment();
  params.text = grid_.FooterValueText(k, column);
  grid_.GetFooterParams(params);
  canvas_.SetFont(params.font);
  CellTextInput in =
      CellText(rect, margin, top_margin, params.text, params.alignment, params.background);
  in.wrap = footer.WordWrap() && grid_.CanWrapText();
  in.end_ellipsis = footer.EndEllipsis();
  DrawCellText(canvas_, in);
  grid_.DrawFooterCell(c, column, k, rect, state);
}

void GridPainter::DrawFrame(const Rect& rect, bool sunken, TColor brush) {
  const EdgeStyle edge = sunken ? EdgeStyle::SunkenInner : EdgeStyle::RaisedInner;
  if (!grid_.Flat()) {
    canvas_.DrawEdge(rect, edge, kEdgeRect);
    return;
  }
  // Flat frames: the bottom and right lines in the cell's own colour, the
  // light edge only on the left and top.
  canvas_.PolyPolyline({{{rect.left, rect.bottom - 1}, {rect.right - 1, rect.bottom - 1}},
                        {{rect.right - 1, rect.bottom - 1}, {rect.right - 1, rect.top - 1}}},
                       brush, 1);
  canvas_.DrawEdge(rect, edge, kEdgeLeft | kEdgeTop);
}

}  // namespace grid
