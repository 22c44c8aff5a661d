// What painting reads of a grid: its cell matrix, drawing properties, the
// columns, the rows of its data link's window and the drawing hooks. The
// grid implements it; GridPainter sees nothing else, so painting knows
// neither the grid's input handling nor its reactions.
#pragma once

#include <string>

#include "grid/base/color.h"
#include "grid/base/data_access.h"
#include "grid/base/rect.h"
#include "grid/columns/columns.h"
#include "grid/view/axis_layout.h"
#include "grid/view/options.h"
#include "grid/view/paint_types.h"

namespace grid {

class PaintedGrid {
 public:
  virtual ~PaintedGrid() = default;

  // The cell matrix and where it is scrolled to.
  virtual int IndicatorColumns() const = 0;
  virtual int TitleRowCount() const = 0;
  virtual int FixedColCount() const = 0;
  virtual int RowCount() const = 0;
  virtual int ColCount() const = 0;
  virtual int FooterRowCount() const = 0;
  virtual int FrozenCols() const = 0;
  virtual int LeftScrollCol() const = 0;
  virtual int CurrentRow() const = 0;
  virtual int CurrentCol() const = 0;
  // The axis layouts for the current client size.
  virtual void ComputeAxes(AxisLayout* horz, AxisLayout* vert) = 0;

  // Drawing properties.
  virtual TColor Color() const = 0;
  virtual TColor FixedColor() const = 0;
  virtual TColor FooterColor() const = 0;
  virtual TDBGridOptions Options() const = 0;
  virtual TDataGridExtOptions ExtOptions() const = 0;
  virtual bool Flat() const = 0;
  virtual bool CanWrapText() const = 0;
  virtual int TitleLines() const = 0;
  virtual int TitleHeight() const = 0;
  virtual bool Focused() const = 0;
  virtual bool DefaultDrawing() const = 0;
  // Moves of the record source are running: no focus frame.
  virtual int UpdateLock() const = 0;
  // Being filled from its stored definition: cells are background only.
  virtual bool Loading() const = 0;

  virtual TDataGridColumns& Columns() = 0;
  virtual TDataSet* RecordSource() const = 0;
  virtual std::string FooterValueText(int row, TGridColumn& column) = 0;

  // The data link's window of records. Painting moves the active row among
  // them and puts it back.
  virtual bool LinkActive() const = 0;
  virtual int RowsInWindow() const = 0;
  virtual int ActiveRow() const = 0;
  virtual void SetActiveRow(int row) = 0;
  // Painting drew the record indicator in `row`.
  virtual void SetIndicatorRow(int row) = 0;

  // The drawing hooks; each does nothing when the grid has none.
  virtual void GetCellParams(TColCellParams& params) = 0;
  virtual void DrawColumnCell(const Rect& rect, int col, TGridColumn& column,
                              TGridDrawState state) = 0;
  virtual void GetFooterParams(TFooterCellParams& params) = 0;
  virtual void DrawFooterCell(int col, TGridColumn& column, int footer_row, const Rect& rect,
                              TGridDrawState state) = 0;
};

}  // namespace grid
