// TDataGrid: the data grid's core, without any window system. It owns the
// columns, the column defaults, the summary list and the data link, runs the
// layout pass, and answers the link's reactions. The column model reaches it
// only as a ColumnHost and painting only as a PaintedGrid. The widget in
// grid/qt gives it a WindowHost and a Canvas.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/base/canvas.h"
#include "grid/base/data_access.h"
#include "grid/base/font.h"
#include "grid/binding/grid_data_link.h"
#include "grid/binding/grid_input.h"
#include "grid/binding/input_types.h"
#include "grid/binding/window_host.h"
#include "grid/columns/column_defaults.h"
#include "grid/columns/column_host.h"
#include "grid/columns/columns.h"
#include "grid/columns/sum_list.h"
#include "grid/view/axis_layout.h"
#include "grid/view/options.h"
#include "grid/view/paint_types.h"
#include "grid/view/painted_grid.h"

namespace grid {

class TDataGrid : private ColumnHost, private PaintedGrid {
 public:
  TDataGrid();
  virtual ~TDataGrid();
  TDataGrid(const TDataGrid&) = delete;
  TDataGrid& operator=(const TDataGrid&) = delete;

  // --- Parts ---------------------------------------------------------------------
  TDataGridColumns& Columns() override { return *columns_; }
  TDataGridColumnDefValues& ColumnDefValues() override { return *col_def_values_; }
  TDataGridSumList& SumList() override { return *sum_list_; }
  TGridDataLink& DataLink() { return *data_link_; }

  TDataSource* DataSource() const { return data_link_->DataSource(); }
  // Binds the grid to a data source (or none): the link follows it and the
  // summary list is given its record source.
  void SetDataSource(TDataSource* source);
  // The data source's record source, or none.
  TDataSet* RecordSource() const override { return data_link_->DataSet(); }

  // --- Grid-level properties ---------------------------------------------------------
  TColor Color() const override { return color_; }
  void SetColor(TColor value);
  TColor FixedColor() const override { return fixed_color_; }
  void SetFixedColor(TColor value);
  // Data cell font; a change refreshes every column's inherited font.
  TFont& Font() override { return font_; }
  TFont& TitleFont() override { return title_font_; }
  TFont& FooterFont() override { return footer_font_; }
  TColor FooterColor() const override { return footer_color_; }
  void SetFooterColor(TColor value);
  int FooterRowCount() const override { return footer_row_count_; }
  // Negative values and the current value are ignored.
  void SetFooterRowCount(int value);
  bool ReadOnly() const override { return read_only_; }
  void SetReadOnly(bool value);
  bool UseMultiTitle() const override { return use_multi_title_; }
  void SetUseMultiTitle(bool value);
  bool AutoFitColWidths() const { return auto_fit_col_widths_; }
  TDBGridOptions Options() const override { return options_; }
  void SetOptions(TDBGridOptions value);
  TDataGridExtOptions ExtOptions() const override { return ext_options_; }
  void SetExtOptions(TDataGridExtOptions value);
  bool Flat() const override { return flat_; }
  void SetFlat(bool value);
  int FrozenCols() const override { return frozen_cols_; }
  // Negative values are ignored; any other value runs a layout pass.
  void SetFrozenCols(int value);
  int TitleHeight() const override { return title_height_; }
  void SetTitleHeight(int value);
  int TitleLines() const override { return title_lines_; }
  void SetTitleLines(int value);
  int RowHeight() const { return row_height_; }
  // Negative values are stored as 0.
  void SetRowHeight(int value);
  int RowLines() const { return row_lines_; }
  void SetRowLines(int value);

  // The grid is being filled from its stored definition: no layout passes,
  // no summaries. EndLoading runs what was held back.
  bool Loading() const override { return loading_; }
  void BeginLoading() { loading_ = true; }
  void EndLoading();
  bool Destroying() const override { return destroying_; }

  // --- Window and measuring -----------------------------------------------------------
  // The window showing the grid, or none; reactions do nothing without one.
  // A new window gets its rows, current row and vertical bar at once.
  void SetHost(WindowHost* host);
  WindowHost* Host() const { return host_; }
  bool HasWindow() const override { return host_ != nullptr; }
  // Where text is measured: the widget's canvas, else fixed metrics.
  void SetCanvas(Canvas* canvas) { canvas_ = canvas; }
  Canvas& MeasureCanvas() override { return canvas_ ? *canvas_ : fallback_canvas_; }

  // --- Layout ---------------------------------------------------------------------------
  // Nesting layout batches; the outermost close runs the layout pass (also
  // releasing the locks when the pass fails).
  void OpenLayoutBatch() override;
  void CloseLayoutBatch() override;
  // One layout pass unless a lock is held.
  void ColumnsReshaped();
  int LayoutLock() const { return layout_lock_; }
  int UpdateLock() const override { return update_lock_; }
  bool LayoutFromSource() const override { return layout_from_source_; }
  void SetLayoutFromSource(bool value) { layout_from_source_ = value; }
  bool InLayoutPass() const { return in_layout_pass_; }
  // Number of layout passes run; lets callers see whether a change caused one.
  int LayoutPassCount() const { return layout_pass_count_; }

  // The fields AddFieldColumns makes columns for: every field of the record
  // source, hidden ones included, in record-source order.
  std::vector<TField*> FieldsToShow() override;

  // --- Cell matrix and geometry ------------------------------------------------------------
  int IndicatorColumns() const override { return indicator_columns_; }
  int TitleRowCount() const override { return title_row_count_; }
  int FixedColCount() const override { return fixed_col_count_; }
  int RowCount() const override { return static_cast<int>(row_heights_.size()); }
  int RowHeightOf(int row) const;
  int DataRowHeight() const { return data_row_height_; }
  int TitleRowHeight() const { return title_row_height_; }
  bool CanWrapText() const override { return can_wrap_text_; }
  int LineWidth() const { return 1; }
  // Data row height plus the line below it.
  int RowStep() const { return data_row_height_ + ((options_ & dgRowLines) ? LineWidth() : 0); }
  int CurrentRow() const override { return current_row_; }
  // The row whose indicator was drawn last (kept by painting).
  int IndicatorRow() const { return indicator_row_; }
  void SetIndicatorRow(int row) override { indicator_row_ = row; }
  int LeftScrollCol() const override { return left_scroll_col_; }
  // Scrolls horizontally by whole columns, within FixedColCount and
  // MaxLeftScrollCol.
  void SetLeftScrollCol(int col);
  int MaxLeftScrollCol();
  // The axis layouts for the current client size.
  void ComputeAxes(AxisLayout* horz, AxisLayout* vert) override;
  Rect CellRect(int col, int row);
  Rect BoxRect(int col_first, int row_first, int col_last, int row_last);
  // Sets the link's window size and the rows from the client height.
  void FitWindowToRows();
  // Puts the current row on the link's active record.
  void SyncCurrentRow();
  // Fully visible data rows; at least 1 with footers.
  int VisibleDataRows();
  // Writes range, page and position of the vertical bar when they changed.
  void RefreshVerticalBar();
  TScrollBarVisibleMode VertScrollBarVisibleMode() const { return vert_bar_mode_; }
  void SetVertScrollBarVisibleMode(TScrollBarVisibleMode mode);
  // The form is shown at another screen density: fonts and widths scale by
  // numerator / denominator.
  void ScaleForDensity(int numerator, int denominator);
  int ColCount() const override { return static_cast<int>(col_widths_.size()); }
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  // Width a hidden column takes so that it and its line use no pixels.
  int HiddenColumnWidth() const { return (options_ & dgColLines) ? -1 : 0; }
  int DefaultColWidth() const override { return 64; }
  int CurrentCol() const override { return current_col_; }
  void SelectColumn(int col);

  // --- Repaints -----------------------------------------------------------------------------
  void InvalidateGrid();
  void InvalidateGridColumn(int col);
  void InvalidateGridRow(int row);
  // The footer rows, after summary or footer changes.
  void InvalidateFooters() override;

  // --- Footers ------------------------------------------------------------------------------
  // The text of the footer cell of `column` in footer row `row`.
  std::string FooterValueText(int row, TGridColumn& column) override;

  // --- Reactions to the record source (called by the data link) --------------------------------
  virtual void LinkToggled(bool live);
  virtual void RowsReloaded();
  virtual void RowsShifted(int distance);
  virtual void RecordTouched(TField* field);
  virtual void EditStateToggled();
  virtual void FocusField(TField** field);
  virtual void WriteBack();
  // A field the grid watched is gone: no column may keep it.
  void FieldDestroyed(TField* field);
  // The window was resized.
  void Resized();
  // A column bound a field: watch it so the column forgets it in time.
  void WatchField(TField* field) override { data_link_->WatchField(field); }

  std::function<void(TDataGridSumList&)> OnSumListRecalcAll;
  std::function<void(TDataGridSumList&)> OnSumListAfterRecalcAll;

  // === Painting ================================================================================
  // Paints every cell, grid line and background strip that touches `dirty`
  // (client pixels) on `canvas`. Does nothing while a layout pass runs.
  // Rows show the records already in the data link's window; painting moves
  // the link's active row among them and puts it back, and reads nothing else.
  void PaintAll(Canvas& canvas, const Rect& dirty);
  // Whether the grid's window has the keyboard focus; the widget tells. A
  // change repaints the current row, whose highlight follows the focus.
  bool Focused() const override { return focused_; }
  void SetFocused(bool focused);
  // The grid draws its cells' contents itself.
  bool DefaultDrawing() const override { return default_drawing_; }
  void SetDefaultDrawing(bool value) { default_drawing_ = value; }
  // Hooks around cell drawing; none is required.
  std::function<void(TColCellParams&)> OnGetCellParams;
  std::function<void(const Rect&, int col, TGridColumn&, TGridDrawState)> OnDrawColumnCell;
  std::function<void(TFooterCellParams&)> OnGetFooterParams;
  std::function<void(int col, TGridColumn&, int footer_row, const Rect&, TGridDrawState)>
      OnDrawFooterCell;
  // === End of painting ========================================================================

  // ===== Input: keys, mouse, wheel, scroll bars and focus ============================
  // The widget turns its platform's events into these calls. Failures of
  // the record source during a move go on to the caller; the grid state is
  // back to Idle and the update lock closed by then.

  // The dialog codes (DLGC_*) the grid wants: only the arrows in row-select
  // mode, so Tab and Shift+Tab move the focus within the window.
  unsigned WantedKeys() const { return input_.WantedKeys(); }
  // A key press. OnKeyDown may change or clear the key; nothing else
  // happens unless the data link is live.
  void KeyDown(TGridKey key, TShiftState shift) { input_.KeyDown(key, shift); }
  // A button press at (x, y). The grid first takes the focus and ignores
  // the press entirely when the focus does not arrive.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y, bool double_click = false) {
    input_.MouseDown(button, shift, x, y, double_click);
  }
  void MouseMove(TShiftState shift, int x, int y) { input_.MouseMove(shift, x, y); }
  // A button release: ends drags, finishes a column sizing or move, raises
  // the click events. The grid state is Idle afterwards, also on failure.
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    input_.MouseUp(button, shift, x, y);
  }
  // A wheel turn; true when handled (always, unless OnMouseWheel says not).
  bool MouseWheel(int delta, TShiftState shift) { return input_.MouseWheel(delta, shift); }
  // Notifications of the vertical and horizontal scroll bars.
  void VerticalScroll(TScrollCode code, int pos) { input_.VerticalScroll(code, pos); }
  void HorizontalScroll(TScrollCode code, int pos) { input_.HorizontalScroll(code, pos); }
  // A tick of a timer the grid started through its host.
  void TimerTick(int id) { input_.TimerTick(id); }
  // The window focus arrived or left; DoExit is the exit handling before the
  // focus moves to another control of the window (cancels an empty new
  // record or writes back; on failure takes the focus back and rethrows).
  void FocusEntered();
  void DoExit();
  void FocusLeft();
  // Ends any drag without applying it: tracking, auto-scroll, sizing line,
  // drop marker, capture.
  void CancelMode() { input_.CancelMode(); }

  bool VertScrollTracking() const { return vert_tracking_; }
  void SetVertScrollTracking(bool value) { vert_tracking_ = value; }
  bool HorzScrollTracking() const { return horz_tracking_; }
  void SetHorzScrollTracking(bool value) { horz_tracking_ = value; }
  bool UseRightToLeft() const { return right_to_left_; }
  void SetUseRightToLeft(bool value) { right_to_left_ = value; }

  // The data rows from the first field column to the last column; empty
  // when nothing is shown.
  Rect DataArea();
  // The cell under (x, y); false when there is none.
  bool CellAt(int x, int y, int* col, int* row);
  // Moves by n records one at a time under the update lock, stopping at
  // either end, and paints once when the lock is back at 0. Returns the
  // records moved.
  int StepMove(int n);
  // Runs `work` under the update lock; when the outermost lock is released
  // without a failure, the invalidated parts are painted at once.
  void UnderUpdateLock(const std::function<void()>& work);
  // The last data row above the footers; false when no data row is shown.
  bool LastDataRow(int* row) const;
  // Scrolls one column left (direction < 0), not past the fixed columns,
  // or right, while the last column is not yet fully in view.
  void ScrollOneColumn(int direction);
  // Moves grid column `from` to `to` with its width and the column model's
  // column, keeping the current column on the same column; out-of-range
  // or equal indices do nothing.
  void MoveColumn(int from, int to);
  // Makes `col` current (limited to the field columns; with a direction,
  // skipping columns that take no pixels), then repaints the current row.
  // In row-select mode the current column stays.
  void ColumnRequest(int col, int direction);
  // After the user sized or moved columns: under one layout batch, clamps
  // grid widths to the columns' ranges, stores them as the columns' widths
  // and raises OnColWidthsChanged.
  void ColWidthsChanged();
  // Writes the horizontal bar's range and position when they changed.
  void UpdateHorizontalBar();

  std::function<void(TGridKey&, TShiftState)> OnKeyDown;
  std::function<void(TMouseButton, TShiftState, int, int)> OnMouseDown;
  // Returns true when it handled the turn itself.
  std::function<bool(int, TShiftState)> OnMouseWheel;
  std::function<void(TDataGridColumn&)> OnTitleClick;
  std::function<void(TDataGridColumn&)> OnCellClick;
  std::function<void()> OnDblClick;
  std::function<void(int, int)> OnColumnMoved;
  std::function<void()> OnColWidthsChanged;

 private:
  // Tests read the input state between events.
  friend class TDataGridTestPeer;

  // Input changes the grid only through its public operations.
  GridInput input_{*this};
  bool vert_tracking_ = false;
  bool horz_tracking_ = false;
  bool right_to_left_ = false;
  // ===== End of input ===============================================================

 protected:
  // The layout pass: the column step, then the cell widths.
  virtual void LayoutPass();
  // The column step: stray generated columns, field map, binding, and in
  // the field-driven state one generated column per mapped field.
  void ReconcileColumns();

 private:
  // What the column model and painting ask beyond the public members.
  bool LinkActive() const override { return data_link_->Active(); }
  void ColumnChanged(TGridColumn* column) override;
  int RowsInWindow() const override;
  int ActiveRow() const override;
  void SetActiveRow(int row) override;
  void GetCellParams(TColCellParams& params) override;
  void DrawColumnCell(const Rect& rect, int col, TGridColumn& column,
                      TGridDrawState state) override;
  void GetFooterParams(TFooterCellParams& params) override;
  void DrawFooterCell(int col, TGridColumn& column, int footer_row, const Rect& rect,
                      TGridDrawState state) override;

  void GridFontChanged();
  void TitleFontChanged();
  void FooterFontChanged();
  void WriteCellWidths();
  // The geometry steps of the layout pass after the column step.
  void LayoutGeometry();
  bool FrozenColsCounted();
  void SetRowCount(int count);
  // Rows first..last across the whole client width (reactions repaint and
  // scroll whole rows); empty without a window or when off screen.
  Rect FullRowsRect(int first_row, int last_row);
  void InvalidateFullRow(int row);

  // Plain state first: the parts below ask for it while being built.
  bool loading_ = false;
  bool destroying_ = false;
  int layout_lock_ = 0;
  int update_lock_ = 0;
  bool layout_from_source_ = false;
  bool in_layout_pass_ = false;
  int layout_pass_count_ = 0;
  TColor color_ = clWindow;
  TColor fixed_color_ = clBtnFace;
  TColor footer_color_ = clWindow;
  int footer_row_count_ = 0;
  bool read_only_ = false;
  bool use_multi_title_ = false;
  bool auto_fit_col_widths_ = false;
  TDBGridOptions options_ = kDefaultGridOptions;
  TDataGridExtOptions ext_options_ = kDefaultGridExtOptions;
  bool flat_ = false;
  int frozen_cols_ = 0;
  int title_height_ = 0;
  int title_lines_ = 0;
  int row_height_ = 0;
  int row_lines_ = 0;
  int indicator_columns_ = 1;
  int title_row_count_ = 1;
  int fixed_col_count_ = 1;
  int data_row_height_ = 16;
  int title_row_height_ = 16;
  bool can_wrap_text_ = false;
  std::vector<int> col_widths_;
  std::vector<int> row_heights_;
  int current_col_ = 0;
  int current_row_ = 1;
  int indicator_row_ = -1;
  TScrollBarVisibleMode vert_bar_mode_ = TScrollBarVisibleMode::sbAutoShow;
  TScrollBarVisibleMode applied_bar_mode_ = TScrollBarVisibleMode::sbAlwaysShow;
  int left_scroll_col_ = 1;
  // Painting state.
  bool focused_ = false;
  bool default_drawing_ = true;
  WindowHost* host_ = nullptr;
  Canvas* canvas_ = nullptr;
  FixedMetricsCanvas fallback_canvas_;
  TFont font_;
  TFont title_font_;
  TFont footer_font_;

  // Destroyed in reverse order: the link first, then the columns (whose
  // footers hold summaries), then the summary list.
  std::unique_ptr<TDataGridSumList> sum_list_;
  std::unique_ptr<TDataGridColumnDefValues> col_def_values_;
  std::unique_ptr<TDataGridColumns> columns_;
  std::unique_ptr<TGridDataLink> data_link_;
};

}  // namespace grid
