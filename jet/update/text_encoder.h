// Text encoding for writing: UTF-8 values into the bytes a column stores —
// UTF-16 in Jet 4 (compressed to one byte per character when the column
// allows it and every character fits), the database code page in Jet 3.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <string>
#include <vector>

#include "jet/status.h"

namespace jet {

class TextEncoder {
 public:
  // Jet 4 when `utf16`; otherwise text goes to `code_page` (unknown ones: 1252).
  TextEncoder(bool utf16, uint16_t code_page);
  ~TextEncoder();
  TextEncoder(const TextEncoder&) = delete;
  TextEncoder& operator=(const TextEncoder&) = delete;

  // The stored bytes of `utf8`. InvalidArgument when the text is not valid
  // UTF-8 or has a character the code page cannot store.
  Result<std::vector<uint8_t>> Encode(const std::string& utf8, bool compress) const;

  // The length Access limits text columns by: UTF-16 code units in Jet 4,
  // bytes of the code page in Jet 3 (`encoded` is Encode's result).
  bool utf16() const { return utf16_; }

  size_t StoredLength(const std::string& utf8, const std::vector<uint8_t>& encoded) const;

 private:
  bool utf16_;
  iconv_t cd_;
};

// UTF-16 code units of valid UTF-8 `utf8`; false on invalid input.
bool Utf8ToUnits(const std::string& utf8, std::vector<uint16_t>* units);

}  // namespace jet
