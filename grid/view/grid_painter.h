// One paint of a grid: walks the areas of the grid (fixed corner, titles,
// fixed columns, data), draws their lines and the cells that touch the
// dirty rectangle, then the background beyond the cells and the row's focus
// frame. Lives only for the duration of one paint.
#pragma once

#include "grid/base/canvas.h"
#include "grid/view/axis_layout.h"
#include "grid/view/paint_types.h"
#include "grid/view/painted_grid.h"

namespace grid {

class GridPainter {
 public:
  GridPainter(PaintedGrid& grid, Canvas& canvas, const Rect& dirty);
  GridPainter(const GridPainter&) = delete;
  GridPainter& operator=(const GridPainter&) = delete;

  void PaintAll();

 private:
  void StrokeAllLines();
  // The cells of one area whose rectangles touch the dirty rectangle.
  void PaintCellRange(const Rect& area, int first_col, int first_row, TGridDrawState area_state);
  TGridDrawState CellState(int col, int row, TGridDrawState area_state) const;
  void PaintCell(int col, int row, Rect rect, TGridDrawState state);
  void PaintIndicatorCell(int row, const Rect& rect, int margin);
  void PaintTitleCell(int c, const Rect& rect, int margin, int top_margin);
  // Returns true when the cell was drawn highlighted; `brush` gets the
  // background it was drawn with.
  bool PaintDataCell(int col, int row, const Rect& rect, TGridDrawState& state, int margin,
                     int top_margin, TColor* brush);
  void PaintFooterCell(int c, int row, const Rect& rect, TGridDrawState state, int margin,
                       int top_margin);
  void DrawFrame(const Rect& rect, bool sunken, TColor brush);

  bool IsFillerRow(int row) const;
  bool IsFooterRow(int row) const;

  PaintedGrid& grid_;
  Canvas& canvas_;
  Rect dirty_;
  AxisLayout horz_;
  AxisLayout vert_;
  TColor fixed_line_color_ = clBlack;
};

}  // namespace grid
