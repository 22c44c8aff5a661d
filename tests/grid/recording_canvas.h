// A canvas with the fixed reference metrics that records every drawing call,
// so tests can assert what a paint drew and where.
#pragma once

#include <string>
#include <vector>

#include "grid/base/canvas.h"

namespace grid_test {

class RecordingCanvas : public grid::FixedMetricsCanvas {
 public:
  enum class Kind { Fill, Text, DrawText, Lines, Edge, Focus, CheckBox, Image, PushClip, PopClip };
  struct Op {
    Kind kind = Kind::Fill;
    grid::Rect rect;  // fill, text cell, text box, edge, focus, check box, clip
    int x = 0;        // text or image origin
    int y = 0;
    grid::TColor color = 0;  // fill, text background, line, image colour
    grid::FontSpec font;     // font at the time of a text call
    std::string text;
    grid::TextFormat format;
    std::vector<grid::LineSegment> lines;
    int width = 0;  // pen width
    grid::EdgeStyle edge = grid::EdgeStyle::RaisedInner;
    unsigned sides = 0;
    grid::CheckBoxState check = grid::CheckBoxState::Unchecked;
    grid::MonoImage image;
  };

  void FillRect(const grid::Rect& r, grid::TColor c) override {
    Op& op = Add(Kind::Fill, r);
    op.color = c;
  }
  void TextOutOpaque(int x, int y, const grid::Rect& r, grid::TColor bg,
                     std::string_view text) override {
    Op& op = Add(Kind::Text, r);
    op.x = x;
    op.y = y;
    op.color = bg;
    op.font = Font();
    op.text = text;
  }
  void DrawText(const grid::Rect& r, std::string_view text, const grid::TextFormat& f) override {
    Op& op = Add(Kind::DrawText, r);
    op.font = Font();
    op.text = text;
    op.format = f;
  }
  void PolyPolyline(const std::vector<grid::LineSegment>& lines, grid::TColor c,
                    int width) override {
    Op& op = Add(Kind::Lines, {});
    op.color = c;
    op.lines = lines;
    op.width = width;
  }
  void DrawEdge(const grid::Rect& r, grid::EdgeStyle e, unsigned sides) override {
    Op& op = Add(Kind::Edge, r);
    op.edge = e;
    op.sides = sides;
  }
  void DrawFocusRect(const grid::Rect& r) override { Add(Kind::Focus, r); }
  void DrawCheckBox(const grid::Rect& r, grid::CheckBoxState s, bool) override {
    Add(Kind::CheckBox, r).check = s;
  }
  void DrawMonoImage(int x, int y, const grid::MonoImage& image, grid::TColor c) override {
    Op& op = Add(Kind::Image, {});
    op.x = x;
    op.y = y;
    op.color = c;
    op.image = image;
  }
  void PushClip(const grid::Rect& r) override { Add(Kind::PushClip, r); }
  void PopClip() override { Add(Kind::PopClip, {}); }

  std::vector<const Op*> Of(Kind kind) const {
    std::vector<const Op*> out;
    for (const Op& op : ops) {
      if (op.kind == kind) out.push_back(&op);
    }
    return out;
  }
  // The text call that drew `text`, or none.
  const Op* TextOp(const std::string& text) const {
    for (const Op& op : ops) {
      if ((op.kind == Kind::Text || op.kind == Kind::DrawText) && op.text == text) return &op;
    }
    return nullptr;
  }

  std::vector<Op> ops;

 private:
  Op& Add(Kind kind, const grid::Rect& rect) {
    ops.emplace_back();
    ops.back().kind = kind;
    ops.back().rect = rect;
    return ops.back();
  }
};

}  // namespace grid_test
