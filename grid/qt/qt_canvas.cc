#include "grid/qt/qt_canvas.h"

#include <QPaintEngine>
#include <QPolygon>
#include <QString>
#include <algorithm>
#include <string>

#include "grid/view/cell_text.h"

namespace grid {
namespace {

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Tabs stop every eight average character widths, as text cells expect.
QString ExpandTabs(const QString& text) {
  if (!text.contains(QLatin1Char('\t'))) return text;
  QString out;
  for (QChar ch : text) {
    if (ch == QLatin1Char('\t')) {
      do out += QLatin1Char(' ');
      while (out.size() % 8 != 0);
    } else {
      out += ch;
    }
  }
  return out;
}

// The classic check mark, 7 × 7, leftmost pixel in bit 6.
constexpr std::array<std::uint8_t, 7> kCheckMark = {0b0000001, 0b0000011, 0b1000111, 0b1101110,
                                                    0b1111100, 0b0111000, 0b0010000};
constexpr int kBoxSize = 13;

}  // namespace

QFont ToQFont(const FontSpec& spec) {
  QFont font(QString::fromStdString(spec.face));
  int pixels = spec.height < 0 ? -spec.height : spec.height;
  font.setPixelSize(pixels > 0 ? pixels : 12);
  font.setBold(spec.style & fsBold);
  font.setItalic(spec.style & fsItalic);
  font.setUnderline(spec.style & fsUnderline);
  font.setStrikeOut(spec.style & fsStrikeOut);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

QColor ToQColor(TColor color) {
  TColor c = ResolveColor(color);
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

QtCanvas::QtCanvas() = default;

QtCanvas::QtCanvas(QPainter& painter) : painter_(&painter) {}

QtCanvas::~QtCanvas() {
  while (clip_depth_ > 0) PopClip();
}

void QtCanvas::SetFont(const FontSpec& font) {
  text_color_ = font.color;
  if (current_ && current_->spec.SameIdentity(font)) return;
  spec_ = font;
  current_ = nullptr;
  for (auto& entry : fonts_) {
    if (entry->spec.SameIdentity(font)) current_ = entry.get();
  }
  if (!current_) {
    QFont qfont = ToQFont(font);
    fonts_.push_back(std::make_unique<FontEntry>(FontEntry{font, qfont, QFontMetrics(qfont)}));
    current_ = fonts_.back().get();
  }
}

const QtCanvas::FontEntry& QtCanvas::Current() {
  if (!current_) SetFont(spec_);
  return *current_;
}

TextMetrics QtCanvas::Metrics() {
  const FontEntry& e = Current();
  TextMetrics m;
  m.ascent = e.metrics.ascent();
  m.descent = e.metrics.descent();
  m.height = m.ascent + m.descent;
  m.internal_leading = std::max(0, m.height - e.font.pixelSize());
  m.external_leading = std::max(0, e.metrics.leading());
  m.ave_char_width = e.metrics.averageCharWidth();
  return m;
}

int QtCanvas::TextWidth(std::string_view text) {
  return Current().metrics.horizontalAdvance(ToQString(text));
}

int QtCanvas::TextHeight(std::string_view) {
  const FontEntry& e = Current();
  return e.metrics.ascent() + e.metrics.descent();
}

void QtCanvas::FillRect(const Rect& rect, TColor color) {
  if (!painter_ || rect.Empty()) return;
  painter_->fillRect(ToQRect(rect), ToQColor(color));
}

void QtCanvas::TextOutOpaque(int x, int y, const Rect& rect, TColor background,
                             std::string_view text) {
  if (!painter_ || rect.Empty()) return;
  painter_->fillRect(ToQRect(rect), ToQColor(background));
  if (text.empty()) return;
  const FontEntry& e = Current();
  const QString qtext = ToQString(text);
  // Font and pen are set for each call: a popped clip restores older ones.
  painter_->setFont(e.font);
  painter_->setPen(ToQColor(text_color_));
  const int width = e.metrics.horizontalAdvance(qtext);
  const bool inside = x >= rect.left && x + width <= rect.right && y >= rect.top &&
                      y + e.metrics.height() <= rect.bottom;
  if (inside) {
    painter_->drawText(x, y + e.metrics.ascent(), qtext);
    return;
  }
  PushClip(rect);
  painter_->drawText(x, y + e.metrics.ascent(), qtext);
  PopClip();
}

void QtCanvas::DrawText(const Rect& rect, std::string_view text, const TextFormat& format) {
  if (!painter_ || rect.Empty()) return;
  const FontEntry& e = Current();
  const int left = rect.left + format.left_margin;
  const int right = rect.right - format.right_margin;
  PushClip(rect);
  painter_->setFont(e.font);
  painter_->setPen(ToQColor(text_color_));
  int y = rect.top;
  const int line_height = e.metrics.height() + std::max(0, e.metrics.leading());
  for (std::string_view line : LayoutTextLines(*this, text, right - left, format.word_break)) {
    if (y >= rect.bottom) break;
    // The same three dots as single-line cells, not the typographic ellipsis.
    QString qline = ExpandTabs(ToQString(
        format.end_ellipsis ? ShortenToFit(line, *this, right - left) : std::string(line)));
    const int width = e.metrics.horizontalAdvance(qline);
    int x = left;
    if (format.align == TextAlign::Right) x = right - width;
    if (format.align == TextAlign::Center) x = left + (right - left - width) / 2;
    painter_->drawText(x, y + e.metrics.ascent(), qline);
    y += line_height;
  }
  PopClip();
}

void QtCanvas::PolyPolyline(const std::vector<LineSegment>& lines, TColor color, int width) {
  if (!painter_ || lines.empty()) return;
  const QColor qcolor = ToQColor(color);
  width = std::max(width, 1);
  for (const LineSegment& s : lines) {
    // Lines leave out their end point; thick lines are centred on the segment.
    const int half = width / 2;
    if (s.from.x == s.to.x) {
      const int y0 = s.from.y < s.to.y ? s.from.y : s.to.y + 1;
      const int y1 = s.from.y < s.to.y ? s.to.y : s.from.y + 1;
      painter_->fillRect(QRect(s.from.x - half, y0, width, y1 - y0), qcolor);
    } else if (s.from.y == s.to.y) {
      const int x0 = s.from.x < s.to.x ? s.from.x : s.to.x + 1;
      const int x1 = s.from.x < s.to.x ? s.to.x : s.from.x + 1;
      painter_->fillRect(QRect(x0, s.from.y - half, x1 - x0, width), qcolor);
    } else {
      QPen pen(qcolor, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
      painter_->setPen(pen);
      painter_->drawLine(s.from.x, s.from.y, s.to.x, s.to.y);
    }
  }
}

void QtCanvas::DrawEdge(const Rect& r, EdgeStyle edge, unsigned sides) {
  if (!painter_ || r.Empty()) return;
  const EdgeColors colors = EdgeColorsOf(edge);
  const QColor light = ToQColor(colors.top_left);
  const QColor dark = ToQColor(colors.bottom_right);
  // The dark lines take the corners they share with the light ones.
  if (sides & kEdgeLeft) painter_->fillRect(QRect(r.left, r.top, 1, r.Height() - 1), light);
  if (sides & kEdgeTop) painter_->fillRect(QRect(r.left, r.top, r.Width() - 1, 1), light);
  if (sides & kEdgeRight) painter_->fillRect(QRect(r.right - 1, r.top, 1, r.Height()), dark);
  if (sides & kEdgeBottom) painter_->fillRect(QRect(r.left, r.bottom - 1, r.Width(), 1), dark);
}

void QtCanvas::DrawFocusRect(const Rect& r) {
  if (!painter_ || r.Empty()) return;
  QPolygon points;
  auto dot = [&points](int x, int y) {
    if (((x + y) & 1) == 0) points << QPoint(x, y);
  };
  for (int x = r.left; x < r.right; ++x) {
    dot(x, r.top);
    if (r.bottom - 1 > r.top) dot(x, r.bottom - 1);
  }
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    dot(r.left, y);
    if (r.right - 1 > r.left) dot(r.right - 1, y);
  }
  painter_->save();
  const bool can_invert =
      painter_->paintEngine() && painter_->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
  if (can_invert) painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter_->setPen(QPen(can_invert ? QColor(Qt::white) : QColor(Qt::black), 0));
  painter_->drawPoints(points);
  painter_->restore();
}

const QImage& QtCanvas::CheckBoxImage(CheckBoxState state, bool flat) {
  QImage& image = check_boxes_[static_cast<std::size_t>(state) * 2 + (flat ? 1 : 0)];
  if (!image.isNull()) return image;
  image = QImage(kBoxSize, kBoxSize, QImage::Format_RGB32);
  const bool grayed = state == CheckBoxState::Grayed;
  image.fill(ToQColor(grayed ? clBtnFace : clWindow));
  auto set = [&image](int x, int y, TColor c) { image.setPixelColor(x, y, ToQColor(c)); };
  const int n = kBoxSize;
  if (flat) {
    for (int i = 0; i < n; ++i) {
      set(i, 0, clBtnShadow);
      set(i, n - 1, clBtnShadow);
      set(0, i, clBtnShadow);
      set(n - 1, i, clBtnShadow);
    }
  } else {
    // Sunken two-pixel frame: shadow and dark shadow above and left, white
    // and light below and right.
    for (int i = 0; i < n; ++i) {
      set(i, 0, clBtnShadow);
      set(0, i, clBtnShadow);
      set(i, n - 1, clBtnHighlight);
      set(n - 1, i, clBtnHighlight);
    }
    for (int i = 1; i < n - 1; ++i) {
      set(i, 1, cl3DDkShadow);
      set(1, i, cl3DDkShadow);
      set(i, n - 2, cl3DLight);
      set(n - 2, i, cl3DLight);
    }
    set(n - 1, 0, clBtnHighlight);
    set(0, n - 1, clBtnHighlight);
  }
  if (state != CheckBoxState::Unchecked) {
    const TColor mark = grayed ? clBtnShadow : clWindowText;
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 7; ++x) {
        if ((kCheckMark[static_cast<std::size_t>(y)] >> (6 - x)) & 1) set(3 + x, 3 + y, mark);
      }
    }
  }
  return image;
}

void QtCanvas::DrawCheckBox(const Rect& rect, CheckBoxState state, bool flat) {
  if (!painter_ || rect.Empty()) return;
  painter_->drawImage(ToQRect(rect), CheckBoxImage(state, flat));
}

void QtCanvas::DrawMonoImage(int x, int y, const MonoImage& image, TColor color) {
  if (!painter_) return;
  const QColor qcolor = ToQColor(color);
  for (int row = 0; row < image.height; ++row) {
    // Runs of set pixels go out as one rectangle each.
    int col = 0;
    while (col < image.width) {
      if (!image.Pixel(col, row)) {
        ++col;
        continue;
      }
      int end = col;
      while (end < image.width && image.Pixel(end, row)) ++end;
      painter_->fillRect(QRect(x + col, y + row, end - col, 1), qcolor);
      col = end;
    }
  }
}

void QtCanvas::PushClip(const Rect& rect) {
  if (!painter_) return;
  painter_->save();
  painter_->setClipRect(ToQRect(rect),
                        painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  ++clip_depth_;
}

void QtCanvas::PopClip() {
  if (!painter_ || clip_depth_ == 0) return;
  painter_->restore();
  --clip_depth_;
}

}  // namespace grid
