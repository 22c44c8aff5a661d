// Painting the main window's grid (686 × 293, indicator, titles, a footer,
// whole-row selection) over a 10,000-record source kept in memory: a full
// paint and the repaint after a one-row move past the bottom of the screen,
// through the QPainter canvas onto an image and through the core alone.
#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <vector>

#include "data/data_source.h"
#include "grid/binding/data_grid.h"
#include "grid/qt/qt_canvas.h"
#include "tests/grid/memory_dataset.h"
#include "tests/grid/window_grid.h"

namespace {

using V = provider::Variant;

// Remembers the rectangles a move asks to repaint.
class Host : public grid::WindowHost {
 public:
  void Invalidate(const grid::Rect& rect) override { dirty.push_back(rect); }
  void InvalidateAll() override { dirty.push_back({0, 0, ClientWidth(), ClientHeight()}); }
  void Validate(const grid::Rect&) override {}
  void ValidateAll() override {}
  void Scroll(int, int, const grid::Rect&, const grid::Rect&) override {}
  void UpdateNow() override {}
  grid::ScrollInfo VerticalBar() const override { return bar; }
  void SetVerticalBar(const grid::ScrollInfo& info) override { bar = info; }
  void ShowVerticalBar(bool) override {}
  void EnableVerticalArrows(bool) override {}
  grid::ScrollInfo HorizontalBar() const override { return horz_bar; }
  void SetHorizontalBar(const grid::ScrollInfo& info) override { horz_bar = info; }
  int ClientWidth() const override { return 686; }
  int ClientHeight() const override { return 293; }

  std::vector<grid::Rect> dirty;
  grid::ScrollInfo bar;
  grid::ScrollInfo horz_bar;
};

std::vector<provider::ColumnInfo> Columns() {
  using grid_test::Column;
  return {Column("ID", provider::adInteger),        Column("Name", provider::adVarWChar, 50),
          Column("City", provider::adVarWChar, 20), Column("Price", provider::adDouble),
          Column("Paid", provider::adBoolean),      Column("Note", provider::adVarWChar, 100)};
}

std::vector<std::vector<V>> Rows(int n) {
  std::vector<std::vector<V>> rows;
  for (int i = 0; i < n; ++i) {
    rows.push_back({V(int64_t{i}), V(std::string("客户名称 ") + std::to_string(i)),
                    V(std::string("北京")), V(i * 1.25), V(i % 2 == 0),
                    V(std::string("a longer note that does not fit its column"))});
  }
  return rows;
}

struct Scene {
  explicit Scene(grid::Canvas* measure)
      : query("ADOQuery1", Columns(), Rows(10000)), source("DataSource1") {
    source.SetDataSet(&query);
    grid.SetCanvas(measure);
    grid.SetHost(&host);
    grid_test::UseWindowSettings(grid);
    grid.SetDataSource(&source);
    query.Open();
    grid.SetFocused(true);
  }
  ~Scene() { grid.SetHost(nullptr); }

  // Moves one record down, starting over at the top at the end, and
  // returns the distinct rectangles to repaint, as the window would merge
  // them into one update region.
  std::vector<grid::Rect> MoveOneRow() {
    host.dirty.clear();
    if (query.Eof() || query.RecNo() >= query.RecordCount()) query.First();
    query.Next();
    std::vector<grid::Rect> distinct;
    for (const grid::Rect& r : host.dirty) {
      if (std::find(distinct.begin(), distinct.end(), r) == distinct.end()) distinct.push_back(r);
    }
    return distinct;
  }

  grid_test::MemoryDataSet query;
  data::TDataSource source;
  Host host;
  grid::TDataGrid grid;
};

void EnsureApp() {
  static std::unique_ptr<QGuiApplication> app;
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "grid_paint_bench";
  static char* argv[] = {name, nullptr};
  app = std::make_unique<QGuiApplication>(argc, argv);
  QFont::insertSubstitution(QString::fromUtf8("宋体"), QStringLiteral("AR PL UMing CN"));
}

void BM_FullPaintQt(benchmark::State& state) {
  EnsureApp();
  grid::QtCanvas measure;
  Scene scene(&measure);
  QImage image(686, 293, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    grid::QtCanvas canvas(painter);
    scene.grid.PaintAll(canvas, {0, 0, 686, 293});
  }
}
BENCHMARK(BM_FullPaintQt)->Unit(benchmark::kMicrosecond);

void BM_OneRowScrollQt(benchmark::State& state) {
  EnsureApp();
  grid::QtCanvas measure;
  Scene scene(&measure);
  QImage image(686, 293, QImage::Format_RGB32);
  // Start at the bottom row of the screen, so each move shifts the rows.
  scene.query.MoveBy(scene.grid.DataLink().RowsInWindow() - 1);
  for (auto _ : state) {
    std::vector<grid::Rect> dirty = scene.MoveOneRow();
    QPainter painter(&image);
    grid::QtCanvas canvas(painter);
    for (const grid::Rect& r : dirty) scene.grid.PaintAll(canvas, r);
  }
}
BENCHMARK(BM_OneRowScrollQt)->Unit(benchmark::kMicrosecond);

// The grid's own work: walking cells, reading values, placing text.
void BM_FullPaintCore(benchmark::State& state) {
  grid::FixedMetricsCanvas canvas;
  Scene scene(&canvas);
  for (auto _ : state) scene.grid.PaintAll(canvas, {0, 0, 686, 293});
}
BENCHMARK(BM_FullPaintCore)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
