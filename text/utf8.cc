#include "text/utf8.h"

#include <cstdint>

namespace text {

size_t DecodeUtf8Char(std::string_view s, size_t i, char32_t* cp) {
  const auto b = static_cast<uint8_t>(s[i]);
  size_t len;
  char32_t v;
  if (b < 0x80) {
    *cp = b;
    return 1;
  } else if ((b & 0xE0) == 0xC0) {
    len = 2, v = b & 0x1F;
  } else if ((b & 0xF0) == 0xE0) {
    len = 3, v = b & 0x0F;
  } else if ((b & 0xF8) == 0xF0) {
    len = 4, v = b & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto c = static_cast<uint8_t>(s[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    v = (v << 6) | (c & 0x3F);
  }
  static constexpr char32_t kMinForLength[] = {0, 0, 0x80, 0x800, 0x10000};
  if (v < kMinForLength[len] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
  *cp = v;
  return len;
}

size_t Utf16Length(std::string_view utf8) {
  size_t units = 0;
  for (size_t i = 0; i < utf8.size();) {
    if (static_cast<uint8_t>(utf8[i]) < 0x80) {  // ASCII needs no decoding
      ++units;
      ++i;
      continue;
    }
    char32_t cp = 0;
    const size_t len = DecodeUtf8Char(utf8, i, &cp);
    units += len != 0 && cp >= 0x10000 ? 2 : 1;
    i += len != 0 ? len : 1;
  }
  return units;
}

}  // namespace text
