#include "grid/binding/data_grid.h"

#include <algorithm>
#include <cstdlib>

#include "grid/view/grid_painter.h"

namespace grid {

TDataGrid::TDataGrid() {
  ColumnHost* host = this;
  sum_list_ = std::make_unique<TDataGridSumList>(*host);
  col_def_values_ = std::make_unique<TDataGridColumnDefValues>(host);
  columns_ = std::make_unique<TDataGridColumns>(host);
  data_link_ = std::make_unique<TGridDataLink>(*this);
  font_.SetOnChange([this] { GridFontChanged(); });
  title_font_.SetOnChange([this] { TitleFontChanged(); });
  footer_font_.SetOnChange([this] { FooterFontChanged(); });
  sum_list_->SumListChanged = [this](TSumListProducer&) { InvalidateFooters(); };
  sum_list_->OnRecalcAll = [this](TSumListProducer&) {
    if (auto handler = OnSumListRecalcAll) handler(*sum_list_);
  };
  sum_list_->OnAfterRecalcAll = [this](TSumListProducer&) {
    if (auto handler = OnSumListAfterRecalcAll) handler(*sum_list_);
  };
  // Two columns (indicator and one data column) until the first pass.
  col_widths_ = {11, DefaultColWidth()};
  row_heights_ = {16, 16};
}

TDataGrid::~TDataGrid() {
  destroying_ = true;
  data_link_.reset();
  columns_.reset();
  col_def_values_.reset();
  sum_list_.reset();
}

void TDataGrid::SetDataSource(TDataSource* source) {
  if (source == DataSource()) return;
  data_link_->SetDataSource(source);
  LinkToggled(data_link_->Active());
}

void TDataGrid::EndLoading() {
  if (!loading_) return;
  loading_ = false;
  if (DataSource()) sum_list_->OwnerLoaded();
  ColumnsReshaped();
}

// --- Properties --------------------------------------------------------------------------

void TDataGrid::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  InvalidateGrid();
}

void TDataGrid::SetFixedColor(TColor value) {
  if (fixed_color_ == value) return;
  fixed_color_ = value;
  InvalidateGrid();
}

void TDataGrid::SetFooterColor(TColor value) {
  if (footer_color_ == value) return;
  footer_color_ = value;
  if (footer_row_count_ > 0) InvalidateGrid();
}

void TDataGrid::SetFooterRowCount(int value) {
  if (value < 0 || value == footer_row_count_) return;
  footer_row_count_ = value;
  ColumnsReshaped();
}

void TDataGrid::SetReadOnly(bool value) {
  if (read_only_ == value) return;
  read_only_ = value;
  InvalidateGrid();
}

void TDataGrid::SetUseMultiTitle(bool value) {
  if (use_multi_title_ == value) return;
  use_multi_title_ = value;
  ColumnsReshaped();
}

void TDataGrid::SetOptions(TDBGridOptions value) {
  // A row selection has no cell editor.
  if (value & dgRowSelect) value &= static_cast<TDBGridOptions>(~(dgEditing | dgAlwaysShowEditor));
  if (value == options_) return;
  constexpr TDBGridOptions kLayoutOptions = dgEditing | dgAlwaysShowEditor | dgTitles |
                                            dgIndicator | dgColLines | dgRowLines | dgRowSelect |
                                            dgAlwaysShowSelection;
  TDBGridOptions changed = options_ ^ value;
  options_ = value;
  if (changed & kLayoutOptions) ColumnsReshaped();
}

void TDataGrid::SetExtOptions(TDataGridExtOptions value) {
  if (value == ext_options_) return;
  ext_options_ = value;
  ColumnsReshaped();
}

void TDataGrid::SetFlat(bool value) {
  if (flat_ == value) return;
  flat_ = value;
  ColumnsReshaped();
}

void TDataGrid::SetFrozenCols(int value) {
  if (value < 0) return;
  frozen_cols_ = value;
  ColumnsReshaped();
}

void TDataGrid::SetTitleHeight(int value) {
  title_height_ = value;
  ColumnsReshaped();
}

void TDataGrid::SetTitleLines(int value) {
  title_lines_ = value;
  ColumnsReshaped();
}

void TDataGrid::SetRowHeight(int value) {
  value = std::max(value, 0);
  if (row_height_ == value) return;
  row_height_ = value;
  ColumnsReshaped();
}

void TDataGrid::SetRowLines(int value) {
  value = std::max(value, 0);
  if (row_lines_ == value) return;
  row_lines_ = value;
  ColumnsReshaped();
}

void TDataGrid::GridFontChanged() {
  OpenLayoutBatch();
  try {
    for (int i = 0; i < columns_->Count(); ++i) (*columns_)[i].RefreshDefaultFont();
  } catch (...) {
    CloseLayoutBatch();
    throw;
  }
  CloseLayoutBatch();
}

void TDataGrid::TitleFontChanged() {
  if (options_ & dgTitles) ColumnsReshaped();
}

void TDataGrid::FooterFontChanged() {
  if (footer_row_count_ > 0) ColumnsReshaped();
}

// --- Layout -----------------------------------------------------------------------------------

void TDataGrid::OpenLayoutBatch() {
  ++update_lock_;
  if (layout_lock_ == 0) columns_->BeginUpdate();
  ++layout_lock_;
}

void TDataGrid::CloseLayoutBatch() {
  // Locks and the collection's update end also when the pass fails.
  auto release = [this] {
    if (layout_lock_ > 0) --layout_lock_;
    if (update_lock_ > 0) --update_lock_;
  };
  if (layout_lock_ == 1) {
    try {
      LayoutPass();
    } catch (...) {
      columns_->EndUpdate();
      release();
      throw;
    }
    columns_->EndUpdate();
  }
  release();
}

void TDataGrid::ColumnChanged(TGridColumn* column) {
  if (loading_ || destroying_) return;
  TDataGridColumns& columns = *columns_;
  if (column) {
    int grid_col = columns.IndexOf(column) + indicator_columns_;
    if (grid_col < indicator_columns_) return;
    InvalidateGridColumn(grid_col);
    if (!auto_fit_col_widths_ && grid_col < ColCount()) {
      int width = column->Width();
      if (ColWidth(grid_col) == width) {
        if (use_multi_title_) ColumnsReshaped();
      } else {
        SetColWidth(grid_col, column->Visible() ? width : HiddenColumnWidth());
      }
    }
  } else {
    ColumnsReshaped();
  }
  // The current cell must stay on a visible column.
  int current = current_col_ - indicator_columns_;
  if (current >= 0 && current < columns.Count() && !columns[current].Visible()) {
    for (int i = 0; i < columns.Count(); ++i) {
      if (columns[i].Visible()) {
        SelectColumn(i + indicator_columns_);
        break;
      }
    }
  }
}

void TDataGrid::ColumnsReshaped() {
  if (update_lock_ != 0 || layout_lock_ != 0) return;
  OpenLayoutBatch();
  CloseLayoutBatch();
}

void TDataGrid::LayoutPass() {
  if (loading_) return;
  struct PassFlag {
    bool& flag;
    explicit PassFlag(bool& f) : flag(f) { flag = true; }
    ~PassFlag() { flag = false; }
  } pass_flag(in_layout_pass_);
  ++layout_pass_count_;
  indicator_columns_ = (options_ & dgIndicator) ? 1 : 0;
  ReconcileColumns();
  LayoutGeometry();
}

void TDataGrid::WriteCellWidths() {
  std::vector<int> widths;
  widths.reserve(static_cast<std::size_t>(columns_->Count() + indicator_columns_));
  if (indicator_columns_) widths.push_back(11);
  for (int i = 0; i < columns_->Count(); ++i) {
    TDataGridColumn& column = (*columns_)[i];
    widths.push_back(column.Visible() ? column.Width() : HiddenColumnWidth());
  }
  col_widths_ = std::move(widths);
}

std::vector<TField*> TDataGrid::FieldsToShow() {
  std::vector<TField*> fields;
  if (TDataSet* source = RecordSource()) {
    for (int i = 0; i < source->FieldCount(); ++i) fields.push_back(source->Field(i));
  }
  return fields;
}

// --- Cell matrix ---------------------------------------------------------------------------------

int TDataGrid::ColWidth(int col) const {
  if (col < 0 || col >= ColCount()) return 0;
  return col_widths_[static_cast<std::size_t>(col)];
}

void TDataGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= ColCount() || col_widths_[static_cast<std::size_t>(col)] == width) return;
  col_widths_[static_cast<std::size_t>(col)] = width;
  InvalidateGrid();
  UpdateHorizontalBar();
}

void TDataGrid::SelectColumn(int col) {
  if (col == current_col_) return;
  current_col_ = col;
  InvalidateGrid();
}

// --- Repaints
// ---------------------------------------------------------------------------------------

void TDataGrid::InvalidateGrid() {
  if (host_) host_->InvalidateAll();
}

void TDataGrid::InvalidateGridColumn(int col) {
  if (!host_ || col < 0 || col >= ColCount()) return;
  Rect r = BoxRect(col, 0, col, RowCount() - 1);
  if (!r.Empty()) host_->Invalidate(r);
}

void TDataGrid::InvalidateGridRow(int row) {
  if (!host_ || row < 0 || row >= RowCount()) return;
  Rect r = BoxRect(0, row, ColCount() - 1, row);
  if (!r.Empty()) host_->Invalidate(r);
}

void TDataGrid::InvalidateFooters() {
  if (!host_ || footer_row_count_ <= 0) return;
  for (int row = std::max(RowCount() - footer_row_count_, 0); row < RowCount(); ++row) {
    InvalidateGridRow(row);
  }
}

// --- Painting ---------------------------------------------------------------------------------

void TDataGrid::PaintAll(Canvas& canvas, const Rect& dirty) {
  if (in_layout_pass_ || dirty.Empty()) return;
  PaintedGrid& painted = *this;
  GridPainter(painted, canvas, dirty).PaintAll();
}

void TDataGrid::SetFocused(bool focused) {
  if (focused_ == focused) return;
  focused_ = focused;
  InvalidateGridRow(current_row_);
}

int TDataGrid::RowsInWindow() const { return data_link_->RowsInWindow(); }

int TDataGrid::ActiveRow() const { return data_link_->ActiveRow(); }

void TDataGrid::SetActiveRow(int row) { data_link_->SetActiveRow(row); }

void TDataGrid::GetCellParams(TColCellParams& params) {
  if (OnGetCellParams) OnGetCellParams(params);
}

void TDataGrid::DrawColumnCell(const Rect& rect, int col, TGridColumn& column,
                               TGridDrawState state) {
  if (OnDrawColumnCell) OnDrawColumnCell(rect, col, column, state);
}

void TDataGrid::GetFooterParams(TFooterCellParams& params) {
  if (OnGetFooterParams) OnGetFooterParams(params);
}

void TDataGrid::DrawFooterCell(int col, TGridColumn& column, int footer_row, const Rect& rect,
                               TGridDrawState state) {
  if (OnDrawFooterCell) OnDrawFooterCell(col, column, footer_row, rect, state);
}

std::string TDataGrid::FooterValueText(int row, TGridColumn& column) {
  return FooterCellText(row, column, RecordSource(), *sum_list_);
}

}  // namespace grid
