// What the column model needs of the grid that owns it. Columns, titles,
// footers, the column defaults and the summary list see their grid only
// through this interface, so the column model builds and tests without the
// grid's geometry, painting or input.
#pragma once

#include <vector>

#include "grid/base/canvas.h"
#include "grid/base/color.h"
#include "grid/base/data_access.h"
#include "grid/base/font.h"

namespace grid {

class TDataGridColumnDefValues;
class TDataGridColumns;
class TDataGridSumList;
class TGridColumn;

class ColumnHost {
 public:
  virtual ~ColumnHost() = default;

  // The grid is being filled from its stored definition, or torn down: the
  // column model sends no changes and binds no fields.
  virtual bool Loading() const = 0;
  virtual bool Destroying() const = 0;

  // Sources of the values a column, title or footer shows until assigned.
  virtual TColor Color() const = 0;
  virtual TColor FixedColor() const = 0;
  virtual TColor FooterColor() const = 0;
  virtual TFont& Font() = 0;
  virtual TFont& TitleFont() = 0;
  virtual TFont& FooterFont() = 0;
  virtual bool ReadOnly() const = 0;
  virtual bool UseMultiTitle() const = 0;
  virtual TDataGridColumnDefValues& ColumnDefValues() = 0;

  // The record source columns bind their fields from; none when unbound.
  virtual TDataSet* RecordSource() const = 0;
  // Whether the grid's data link is live (columns then show field values).
  virtual bool LinkActive() const = 0;
  // The fields AddFieldColumns makes columns for.
  virtual std::vector<TField*> FieldsToShow() = 0;
  // A column bound `field`: the grid must tell the columns when it goes.
  virtual void WatchField(TField* field) = 0;

  // Measuring a field's display width: only with a window, on its canvas.
  virtual bool HasWindow() const = 0;
  virtual Canvas& MeasureCanvas() = 0;
  virtual int DefaultColWidth() const = 0;
  // True while the layout pass takes widths from the fields: a width that
  // was never assigned is then not stored.
  virtual bool LayoutFromSource() const = 0;

  // Nesting batches of column changes; the outermost close lays out once.
  virtual void OpenLayoutBatch() = 0;
  virtual void CloseLayoutBatch() = 0;
  // The grid's side of a change of one of its columns (of the whole set when
  // none): repaint, width, layout pass, current column.
  virtual void ColumnChanged(TGridColumn* column) = 0;
  // The footer rows must be repainted.
  virtual void InvalidateFooters() = 0;
  // Where footers keep the summaries of their fields.
  virtual TDataGridSumList& SumList() = 0;
  virtual TDataGridColumns& Columns() = 0;
};

}  // namespace grid
