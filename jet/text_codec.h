// Text decoding: Jet 4 UTF-16 (plain or compressed) and Jet 3 code pages,
// always producing UTF-8. Undecodable input becomes U+FFFD, never an error:
// a stray byte in one value must not make a whole table unreadable.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <string>

#include "jet/bytes_view.h"

namespace jet {

// UTF-16LE to UTF-8, pairing surrogates; a trailing odd byte is ignored.
std::string Utf16LeToUtf8(ByteView bytes);
// Same, appended to `out`.
void AppendUtf16Le(ByteView bytes, std::string* out);

// Jet 4 stored text: compressed when it starts with FF FE (one byte per
// character with the high byte zero, a zero byte switching between that and
// plain UTF-16), otherwise plain UTF-16LE.
std::string DecodeJet4Text(ByteView bytes);
// Same, appended to `out` (the fast path of a scan: no string per value).
void AppendJet4Text(ByteView bytes, std::string* out);

// The UTF-16 code units of Jet 4 stored text, compressed or not, with
// unpaired surrogates kept: what AppendJet4Text turns into UTF-8. For
// searches that look at the units themselves.
void AppendJet4Units(ByteView bytes, std::u16string* out);

// UTF-8 to UTF-16LE bytes (used to compare passwords and build test images).
std::string Utf8ToUtf16Le(const std::string& utf8);

// Decodes single- or multi-byte text of one Windows code page through iconv.
class CodePageDecoder {
 public:
  // Unknown or unavailable code pages fall back to 1252.
  explicit CodePageDecoder(uint16_t code_page);
  ~CodePageDecoder();
  CodePageDecoder(const CodePageDecoder&) = delete;
  CodePageDecoder& operator=(const CodePageDecoder&) = delete;

  std::string Decode(ByteView bytes) const;
  uint16_t code_page() const { return code_page_; }

 private:
  uint16_t code_page_;
  iconv_t cd_;
};

}  // namespace jet

namespace jet {

// Decodes stored text of one database: UTF-16 (maybe compressed) for Jet 4,
// the database code page for Jet 3.
class TextDecoder {
 public:
  TextDecoder(bool utf16, uint16_t code_page) : utf16_(utf16), code_page_(code_page) {}
  std::string Decode(ByteView bytes) const {
    return utf16_ ? DecodeJet4Text(bytes) : code_page_.Decode(bytes);
  }
  // Decode(bytes) appended to `out`.
  void Append(ByteView bytes, std::string* out) const {
    if (utf16_) {
      AppendJet4Text(bytes, out);
    } else {
      out->append(code_page_.Decode(bytes));
    }
  }
  bool utf16() const { return utf16_; }

 private:
  bool utf16_;
  CodePageDecoder code_page_;
};

}  // namespace jet
