// The grid's Canvas over a QPainter: text through QFont/QFontMetrics
// (bitmap-crisp, no antialiasing), fills, lines, edges and the check box
// drawn pixel by pixel as the classic desktop draws them.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <array>
#include <memory>
#include <string_view>
#include <vector>

#include "grid/base/canvas.h"

namespace grid {

// The QFont a grid font stands for: the face (which font substitution may
// map to an installed family), pixel size from the height, style bits, and
// no antialiasing.
QFont ToQFont(const FontSpec& spec);
// The colour as Qt knows it; system colours are resolved.
QColor ToQColor(TColor color);

class QtCanvas : public Canvas {
 public:
  // Measures only; drawing calls do nothing.
  QtCanvas();
  // Draws with `painter`, which must outlive the canvas. Clips pushed and
  // not popped are popped when the canvas is destroyed.
  explicit QtCanvas(QPainter& painter);
  ~QtCanvas() override;
  QtCanvas(const QtCanvas&) = delete;
  QtCanvas& operator=(const QtCanvas&) = delete;

  void SetFont(const FontSpec& font) override;
  TextMetrics Metrics() override;
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view text) override;

  void FillRect(const Rect& rect, TColor color) override;
  void TextOutOpaque(int x, int y, const Rect& rect, TColor background,
                     std::string_view text) override;
  void DrawText(const Rect& rect, std::string_view text, const TextFormat& format) override;
  void PolyPolyline(const std::vector<LineSegment>& lines, TColor color, int width) override;
  void DrawEdge(const Rect& rect, EdgeStyle edge, unsigned sides) override;
  void DrawFocusRect(const Rect& rect) override;
  void DrawCheckBox(const Rect& rect, CheckBoxState state, bool flat) override;
  void DrawMonoImage(int x, int y, const MonoImage& image, TColor color) override;
  void PushClip(const Rect& rect) override;
  void PopClip() override;

 private:
  struct FontEntry {
    FontSpec spec;
    QFont font;
    QFontMetrics metrics;
  };
  const FontEntry& Current();
  // The pictures of the check box, drawn once per state and style.
  const QImage& CheckBoxImage(CheckBoxState state, bool flat);

  QPainter* painter_ = nullptr;
  int clip_depth_ = 0;
  FontSpec spec_;
  TColor text_color_ = 0;
  std::vector<std::unique_ptr<FontEntry>> fonts_;
  FontEntry* current_ = nullptr;
  std::array<QImage, 6> check_boxes_;
};

}  // namespace grid
