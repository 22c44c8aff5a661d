// A grid bound through a data source to an in-memory record source with a
// text, an integer, a float and a yes/no column, measured on fixed metrics.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/data_source.h"
#include "grid/binding/data_grid.h"
#include "memory_dataset.h"
#include "window_grid.h"

namespace grid_test {

// Records what the grid asks of its window, in order.
class RecordingHost : public grid::WindowHost {
 public:
  void Invalidate(const grid::Rect& rect) override { rects.push_back(rect); }
  void InvalidateAll() override { ++full; }
  // Validating drops the rectangles it covers (the whole list for all).
  void Validate(const grid::Rect& rect) override {
    std::erase_if(rects, [&](const grid::Rect& r) {
      return r.left >= rect.left && r.top >= rect.top && r.right <= rect.right &&
             r.bottom <= rect.bottom;
    });
  }
  void ValidateAll() override {
    rects.clear();
    full = 0;
    ++validated_all;
  }
  void Scroll(int dx, int dy, const grid::Rect& area, const grid::Rect& clip) override {
    scrolls.push_back({dx, dy, area, clip, rects.size()});
  }
  void UpdateNow() override { ++updates_now; }
  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }

  grid::ScrollInfo VerticalBar() const override { return bar; }
  // As the window system does: a range that can scroll shows the bar and
  // enables its arrows.
  void SetVerticalBar(const grid::ScrollInfo& info) override {
    bar = info;
    ++bar_writes;
    if (!grid::NothingToScroll(info)) bar_shown = arrows_enabled = true;
  }
  void ShowVerticalBar(bool show) override { bar_shown = show; }
  void EnableVerticalArrows(bool enable) override { arrows_enabled = enable; }
  grid::ScrollInfo HorizontalBar() const override { return hbar; }
  void SetHorizontalBar(const grid::ScrollInfo& info) override { hbar = info; }

  struct ScrollCall {
    int dx, dy;
    grid::Rect area, clip;
    std::size_t rects_before;  // how many invalidations came before the scroll
  };
  std::vector<grid::Rect> rects;
  std::vector<ScrollCall> scrolls;
  int full = 0;
  int validated_all = 0;
  int updates_now = 0;
  grid::ScrollInfo bar;
  grid::ScrollInfo hbar;
  int bar_writes = 0;
  bool bar_shown = false;
  bool arrows_enabled = true;

  void Reset() {
    rects.clear();
    scrolls.clear();
    full = 0;
    validated_all = 0;
    updates_now = 0;
  }
  int width = 686;
  int height = 293;
};

inline std::vector<provider::ColumnInfo> SampleColumns() {
  return {Column("Name", provider::adVarWChar, 20), Column("Qty", provider::adInteger),
          Column("Price", provider::adDouble), Column("Paid", provider::adBoolean)};
}

inline std::vector<std::vector<provider::Variant>> SampleRows() {
  using V = provider::Variant;
  return {{V(std::string("apple")), V(int64_t{5}), V(1.5), V(true)},
          {V(std::string("pear")), V(int64_t{2}), V(), V(false)},
          {V(std::string("plum")), V(int64_t{3}), V(2.25), V()}};
}

// `n` rows of the sample columns: "row0" with 0, "row1" with 1, ..., no
// price, not paid.
inline std::vector<std::vector<provider::Variant>> NumberedRows(int n) {
  using V = provider::Variant;
  std::vector<std::vector<V>> rows;
  for (int i = 0; i < n; ++i) {
    rows.push_back({V(std::string("row") + std::to_string(i)), V(int64_t{i}), V(), V(false)});
  }
  return rows;
}

class GridFixture : public ::testing::Test {
 protected:
  GridFixture() : query("ADOQuery1", SampleColumns(), SampleRows()), source("DataSource1") {
    source.SetDataSet(&query);
    grid.SetCanvas(&canvas);
    grid.SetDataSource(&source);
  }
  // Tests may give the grid the recording window; it lets go of it first.
  ~GridFixture() override { grid.SetHost(nullptr); }

  // Opens the query and gives the grid a column for each of its fields.
  void OpenWithFieldColumns() {
    query.Open();
    grid.Columns().AddFieldColumns(true);
  }
  grid::TDataGridColumn& Col(int i) { return grid.Columns()[i]; }
  // The field name of every column, in order.
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < grid.Columns().Count(); ++i) names.push_back(Col(i).FieldName());
    return names;
  }

  MemoryDataSet query;
  data::TDataSource source;
  grid::FixedMetricsCanvas canvas;
  RecordingHost host;
  grid::TDataGrid grid;
};

}  // namespace grid_test
