// A grid laid out as the main window's (titles, indicator, row selection,
// one footer row) over numbered records, on a host that also records
// timers, capture, focus, cursor and inverted lines.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "grid_fixture.h"

namespace grid_test {

class InputHost : public RecordingHost {
 public:
  int VerticalBarTrackPos() const override { return track_pos; }
  void StartTimer(int id, int interval_ms) override {
    timers[id] = interval_ms;
    starts.push_back(interval_ms);
  }
  void StopTimer(int id) override { timers.erase(id); }
  void SetCapture() override { captured = true; }
  void ReleaseCapture() override { captured = false; }
  bool HasCapture() const override { return captured; }
  bool CanFocus() const override { return focusable; }
  void SetFocus() override {
    ++focus_requests;
    if (focusable) focused = true;
  }
  bool HasFocus() const override { return focused; }
  void SetCursorShape(grid::TCursor shape) override { cursor = shape; }
  void InvertDottedLine(const grid::Rect& rect) override { inverted.push_back(rect); }

  // Lines inverted an odd number of times: what is still on screen.
  std::vector<grid::Rect> ShownLines() const {
    std::vector<grid::Rect> shown;
    for (const grid::Rect& r : inverted) {
      bool found = false;
      for (auto it = shown.begin(); it != shown.end(); ++it) {
        if (*it == r) {
          shown.erase(it);
          found = true;
          break;
        }
      }
      if (!found) shown.push_back(r);
    }
    return shown;
  }
  bool TimerRunning() const { return timers.count(grid::kGridTimerId) != 0; }

  int track_pos = 0;
  std::map<int, int> timers;
  std::vector<int> starts;
  bool captured = false;
  bool focusable = true;
  bool focused = false;
  int focus_requests = 0;
  grid::TCursor cursor = grid::TCursor::crDefault;
  std::vector<grid::Rect> inverted;
};

// Columns of 100 pixels: the indicator ends at 11 (line at 11), column
// 1 spans 12..111 (line at 112), column 2 113..212, column 3 214..313,
// column 4 315..414. Rows are 16 high plus a line: the title row 0..15,
// data row r from 17 × r. With 171 pixels, 8 data rows fit above the
// filler and footer rows, so the data area is {12, 17, 415, 152}.
class InputFixture : public GridFixture {
 protected:
  void Open(int records, int height = 171) {
    host.height = height;
    grid.SetHost(&host);
    UseWindowSettings(grid);
    query.Rows() = NumberedRows(records);
    OpenWithFieldColumns();
    for (int i = 0; i < grid.Columns().Count(); ++i) Col(i).SetWidth(100);
  }

  static int RowY(int row) { return 17 * row + 8; }
  void Click(int x, int y, grid::TMouseButton button = grid::TMouseButton::Left) {
    grid.MouseDown(button, 0, x, y);
    grid.MouseUp(button, 0, x, y);
  }
  // Presses the left button at (x0, y0), moves to (x1, y1) and lets go there.
  void Drag(int x0, int y0, int x1, int y1) {
    grid.MouseDown(grid::TMouseButton::Left, 0, x0, y0);
    grid.MouseMove(0, x1, y1);
    grid.MouseUp(grid::TMouseButton::Left, 0, x1, y1);
  }

  InputHost host;
};

// The grid of InputFixture without the window's settings, over a record
// source of another kind, opened.
struct BareGrid {
  explicit BareGrid(data::TDataSet& query) {
    host.height = 171;
    source.SetDataSet(&query);
    grid.SetCanvas(&canvas);
    grid.SetHost(&host);
    grid.SetFooterRowCount(1);
    grid.SetDataSource(&source);
    query.Open();
  }
  ~BareGrid() { grid.SetHost(nullptr); }

  data::TDataSource source{"DataSource1"};
  grid::FixedMetricsCanvas canvas;
  InputHost host;
  grid::TDataGrid grid;
};

}  // namespace grid_test
