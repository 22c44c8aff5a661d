// A grid bound through a data source to an in-memory record source with a
// text, an integer, a float and a yes/no column, measured on fixed metrics.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/data_source.h"
#include "grid/data_grid.h"
#include "memory_dataset.h"

namespace grid_test {

// Counts what the grid asks to repaint.
class RecordingHost : public grid::WindowHost {
 public:
  void Invalidate(const grid::Rect& rect) override { rects.push_back(rect); }
  void InvalidateAll() override { ++full; }
  void Scroll(int dx, int dy, const grid::Rect& area, const grid::Rect&) override {
    scrolls.push_back({dx, dy, area});
  }
  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }

  grid::ScrollInfo VerticalBar() const override { return bar; }
  void SetVerticalBar(const grid::ScrollInfo& info) override {
    bar = info;
    ++bar_writes;
  }
  void ShowVerticalBar(bool show) override { bar_shown = show; }
  void EnableVerticalArrows(bool enable) override { arrows_enabled = enable; }

  struct ScrollCall {
    int dx, dy;
    grid::Rect area;
  };
  std::vector<grid::Rect> rects;
  std::vector<ScrollCall> scrolls;
  int full = 0;
  grid::ScrollInfo bar;
  int bar_writes = 0;
  bool bar_shown = false;
  bool arrows_enabled = true;

  void Reset() {
    rects.clear();
    scrolls.clear();
    full = 0;
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

class GridFixture : public ::testing::Test {
 protected:
  GridFixture() : query("ADOQuery1", SampleColumns(), SampleRows()), source("DataSource1") {
    source.SetDataSet(&query);
    grid.SetCanvas(&canvas);
    grid.SetDataSource(&source);
  }

  grid::TDataGridColumn& Col(int i) { return grid.Columns()[i]; }

  MemoryDataSet query;
  data::TDataSource source;
  grid::FixedMetricsCanvas canvas;
  RecordingHost host;
  grid::TDataGrid grid;
};

}  // namespace grid_test
