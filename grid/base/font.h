// Fonts of the grid: a plain value (FontSpec) and the font object (TFont)
// that columns, titles, footers and the grid own and that announces changes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "grid/base/color.h"

namespace grid {

// Style bits, combined in TFontStyles.
enum TFontStyle : std::uint8_t {
  fsBold = 1,
  fsItalic = 2,
  fsUnderline = 4,
  fsStrikeOut = 8,
};
using TFontStyles = std::uint8_t;

inline constexpr int kDefaultCharset = 1;

struct FontSpec {
  std::string face = "宋体";
  int height = -12;  // negative: character height in pixels, as the form stores it
  TFontStyles style = 0;
  int charset = kDefaultCharset;
  TColor color = clWindowText;

  // Same face, height, style and character set; colour is not part of a
  // font's identity.
  bool SameIdentity(const FontSpec& o) const {
    return face == o.face && height == o.height && style == o.style && charset == o.charset;
  }
  bool operator==(const FontSpec& o) const = default;
};

// A font object with a change notice. Owners install the notice to learn of
// changes made through the object (for example a caller setting its colour).
// The object is not copyable because the notice is bound to its owner; copy
// values with Assign.
class TFont {
 public:
  TFont() = default;
  explicit TFont(FontSpec spec) : spec_(std::move(spec)) {}
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  const FontSpec& Spec() const { return spec_; }
  const std::string& Name() const { return spec_.face; }
  int Height() const { return spec_.height; }
  TFontStyles Style() const { return spec_.style; }
  int Charset() const { return spec_.charset; }
  TColor Color() const { return spec_.color; }

  // Each setter stores the value and sends the change notice when the value
  // differs from the current one.
  void SetName(const std::string& face);
  void SetHeight(int height);
  void SetStyle(TFontStyles style);
  void SetCharset(int charset);
  void SetColor(TColor color);

  // Copies every value and sends one change notice (also when nothing
  // differs, so that an owner learns the font was assigned).
  void Assign(const FontSpec& spec);
  void Assign(const TFont& other) { Assign(other.spec_); }

  // Copies every value without sending the notice; used to refresh a font
  // that follows its source.
  void AssignSilently(const FontSpec& spec) { spec_ = spec; }

  void SetOnChange(std::function<void()> on_change) { on_change_ = std::move(on_change); }

 private:
  void Changed();

  FontSpec spec_;
  std::function<void()> on_change_;
};

}  // namespace grid
