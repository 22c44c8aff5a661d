// The grid's geometry: the geometry steps of the layout pass, axis layouts
// and rectangles, horizontal scrolling and scaling for screen density.
#include <algorithm>

#include "grid/binding/data_grid.h"
#include "grid/view/row_metrics.h"

namespace grid {

int TDataGrid::RowHeightOf(int row) const {
  if (row < 0 || row >= RowCount()) return 0;
  return row_heights_[static_cast<std::size_t>(row)];
}

void TDataGrid::SetRowCount(int count) {
  count = std::max(count, 0);
  // The current cell moves to the new last row when it would fall outside.
  if (current_row_ >= count) current_row_ = std::max(count - 1, 0);
  row_heights_.resize(static_cast<std::size_t>(count), data_row_height_);
}

bool TDataGrid::FrozenColsCounted() {
  return data_link_->Active() || columns_->ColumnSetState() == TColumnSetState::Persistent;
}

void TDataGrid::LayoutGeometry() {
  title_row_count_ = (options_ & dgTitles) ? 1 : 0;
  WriteCellWidths();
  std::vector<bool> visible;
  for (int i = 0; i < columns_->Count(); ++i) visible.push_back((*columns_)[i].Visible());
  fixed_col_count_ =
      ComputeFixedColCount(visible, FrozenColsCounted() ? frozen_cols_ : 0, indicator_columns_);

  Canvas& canvas = MeasureCanvas();
  canvas.SetFont(font_.Spec());
  DataRowInput row_input;
  row_input.text_height = canvas.TextHeight("Wg");
  row_input.metrics = canvas.Metrics();
  row_input.flat = flat_;
  row_input.line_width = (options_ & dgRowLines) ? LineWidth() : 0;
  row_input.row_height = row_height_;
  row_input.row_lines = row_lines_;
  row_input.fit_to_text = (ext_options_ & dgxFitRowHeightToText) != 0;
  DataRowResult rows = ComputeDataRowHeight(row_input);
  data_row_height_ = rows.data_row_height;
  row_height_ = rows.row_height;
  row_lines_ = rows.row_lines;
  can_wrap_text_ = rows.can_wrap_text;

  if (options_ & dgTitles) {
    // The tallest title font sets the title row.
    int tallest = 0;
    TextMetrics tallest_metrics;
    if (columns_->Count() == 0) {
      canvas.SetFont(title_font_.Spec());
      tallest = canvas.TextHeight("Wg");
      tallest_metrics = canvas.Metrics();
    }
    for (int i = 0; i < columns_->Count(); ++i) {
      canvas.SetFont((*columns_)[i].Title().Font().Spec());
      int h = canvas.TextHeight("Wg");
      if (h > tallest || i == 0) {
        tallest = h;
        tallest_metrics = canvas.Metrics();
      }
    }
    title_row_height_ = tallest + 4;
    if (title_height_ != 0 || title_lines_ != 0) {
      title_row_height_ = FormulaTitleRowHeight(title_lines_, title_height_, tallest_metrics,
                                                (options_ & dgRowLines) != 0);
    }
  }

  FitWindowToRows();
  left_scroll_col_ = std::clamp(left_scroll_col_, fixed_col_count_,
                                std::max(fixed_col_count_, MaxLeftScrollCol()));
  if (current_col_ < fixed_col_count_ || (options_ & dgRowSelect)) current_col_ = fixed_col_count_;
  SyncCurrentRow();
  InvalidateGrid();
  UpdateHorizontalBar();
}

void TDataGrid::ComputeAxes(AxisLayout* horz, AxisLayout* vert) {
  AxisInput h;
  h.sizes = col_widths_;
  h.line_width = (options_ & dgColLines) ? LineWidth() : 0;
  h.fixed_count = fixed_col_count_;
  h.frozen_count = FrozenColsCounted() ? std::min(frozen_cols_, fixed_col_count_) : 0;
  h.first_scroll_cell = left_scroll_col_;
  h.extent = host_ ? host_->ClientWidth() : 0;
  *horz = ComputeAxis(h);

  AxisInput v;
  v.sizes = row_heights_;
  v.line_width = (options_ & dgRowLines) ? LineWidth() : 0;
  v.fixed_count = title_row_count_;
  v.first_scroll_cell = title_row_count_;
  v.extent = host_ ? host_->ClientHeight() : 0;
  v.footer_count = footer_row_count_;
  *vert = ComputeAxis(v);
}

Rect TDataGrid::CellRect(int col, int row) { return BoxRect(col, row, col, row); }

Rect TDataGrid::BoxRect(int col_first, int row_first, int col_last, int row_last) {
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  return grid::BoxRect(horz, vert, col_first, row_first, col_last, row_last);
}

int TDataGrid::MaxLeftScrollCol() {
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  return grid::MaxLeftScrollCol(horz);
}

void TDataGrid::SetLeftScrollCol(int col) {
  col = std::clamp(col, fixed_col_count_, std::max(fixed_col_count_, MaxLeftScrollCol()));
  int old = left_scroll_col_;
  if (col == old) return;
  left_scroll_col_ = col;
  if (!host_) return;
  UpdateHorizontalBar();
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  int distance = 0;
  for (int i = std::min(old, col); i < std::max(old, col); ++i) {
    distance += horz.CellSize(i) + horz.line_width;
  }
  if (distance > horz.used_end - horz.fixed_end) {
    InvalidateGrid();
  } else {
    Rect area{horz.fixed_end, 0, host_->ClientWidth(), host_->ClientHeight()};
    host_->Scroll(col > old ? -distance : distance, 0, area, area);
    if (options_ & dgRowSelect) InvalidateGridRow(current_row_);
  }
  // The title row shows whether the grid is scrolled.
  if ((old == fixed_col_count_) != (col == fixed_col_count_)) {
    for (int row = 0; row < title_row_count_; ++row) InvalidateGridRow(row);
  }
}

namespace {

// n × value / d rounded to the nearest integer, halves away from zero.
int Scale(long long value, int numerator, int denominator) {
  long long product = value * numerator;
  long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : -((-product + half) / denominator));
}

void ScaleFont(TFont& font, int numerator, int denominator) {
  FontSpec spec = font.Spec();
  spec.height = Scale(spec.height, numerator, denominator);
  font.Assign(spec);
}

}  // namespace

void TDataGrid::ScaleForDensity(int numerator, int denominator) {
  if (numerator == denominator || denominator == 0) return;
  OpenLayoutBatch();
  try {
    ScaleFont(title_font_, numerator, denominator);
    ScaleFont(footer_font_, numerator, denominator);
    long long unscaled_sum = 0;
    for (int i = 0; i < columns_->Count(); ++i) {
      TDataGridColumn& column = (*columns_)[i];
      if (column.IsExplicit(TColumnValue::cvFont)) ScaleFont(column.Font(), numerator, denominator);
      if (column.IsExplicit(TColumnValue::cvTitleFont)) {
        ScaleFont(column.Title().Font(), numerator, denominator);
      }
      if (column.Footer().IsExplicit(grid::TFooterValue::fvFont))
        ScaleFont(column.Footer().Font(), numerator, denominator);
      if (column.IsExplicit(TColumnValue::cvWidth)) {
        // Cumulative scaling, so that rounding does not add up along the row.
        int width = column.Width();
        int before = Scale(unscaled_sum, numerator, denominator);
        unscaled_sum += width;
        column.SetWidth(Scale(unscaled_sum, numerator, denominator) - before);
      }
    }
  } catch (...) {
    CloseLayoutBatch();
    throw;
  }
  CloseLayoutBatch();
}

}  // namespace grid
