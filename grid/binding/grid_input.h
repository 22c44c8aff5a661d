// The grid's input handling: keys, mouse presses and drags, the wheel, the
// scroll bars and cancel mode, with the state that lives between events
// (the drag in progress, the auto-scroll timer, the pending thumb release,
// the wheel remainder). The grid owns one and forwards its input calls; it
// changes the grid only through the grid's own operations (moves, column
// requests, column sizing and moving).
#pragma once

#include "grid/base/rect.h"
#include "grid/binding/input_state.h"
#include "grid/binding/input_types.h"

namespace grid {

class TDataGrid;

class GridInput {
 public:
  explicit GridInput(TDataGrid& grid) : grid_(grid) {}
  GridInput(const GridInput&) = delete;
  GridInput& operator=(const GridInput&) = delete;

  // The contracts are those of the grid's calls of the same names.
  unsigned WantedKeys() const;
  void KeyDown(TGridKey key, TShiftState shift);
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y, bool double_click);
  void MouseMove(TShiftState shift, int x, int y);
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  bool MouseWheel(int delta, TShiftState shift);
  void VerticalScroll(TScrollCode code, int pos);
  void HorizontalScroll(TScrollCode code, int pos);
  void TimerTick(int id);
  void CancelMode();

 private:
  friend class TDataGridTestPeer;

  bool TakeFocus();
  void PressDataRow(int col, int row, int x, int y);
  void DragTo(int x, int y);
  void AutoScrollStep();
  void StopAutoScroll();
  void StopDragTracking();
  // The column whose sizing zone holds (x, y), or −1.
  int SizingZoneAt(int x, int y);
  void BeginColumnSizing(int col, int x);
  void TrackColumnSizing(int x);
  void EndColumnSizing();
  void BeginColumnMove(int col, int x, int y);
  void TrackColumnMove(int x);
  void EndColumnMove();
  Rect SizingLineRect(int x);
  Rect DropMarkerRect();
  void ShowLine(const Rect& rect);
  void HideLine();
  void ReleaseMouse();

  TDataGrid& grid_;
  GridInputState input_;
};

}  // namespace grid
