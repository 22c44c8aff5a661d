#include "jet/update/text_encoder.h"

#include <cerrno>

#include "text/utf8.h"

namespace jet {

namespace {
const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);
}

bool Utf8ToUnits(const std::string& s, std::vector<uint16_t>* units) {
  units->clear();
  size_t i = 0;
  while (i < s.size()) {
    char32_t cp = 0;
    const size_t len = text::DecodeUtf8Char(s, i, &cp);
    if (len == 0) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      units->push_back(static_cast<uint16_t>(0xD800 + (cp >> 10)));
      units->push_back(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      units->push_back(static_cast<uint16_t>(cp));
    }
    i += len;
  }
  return true;
}

TextEncoder::TextEncoder(bool utf16, uint16_t code_page) : utf16_(utf16), cd_(kNoIconv) {
  if (utf16_) return;
  if (code_page != 0) {
    std::string name = "CP" + std::to_string(code_page);
    cd_ = iconv_open(name.c_str(), "UTF-8");
  }
  if (cd_ == kNoIconv) cd_ = iconv_open("CP1252", "UTF-8");
}

TextEncoder::~TextEncoder() {
  if (cd_ != kNoIconv) iconv_close(cd_);
}

Result<std::vector<uint8_t>> TextEncoder::Encode(const std::string& utf8, bool compress) const {
  std::vector<uint8_t> out;
  if (utf16_) {
    // Two passes over the UTF-8 (count and check, then write) spare a
    // buffer of code units per value.
    size_t units = 0;
    bool narrow = compress;
    for (size_t i = 0; i < utf8.size();) {
      char32_t cp = static_cast<uint8_t>(utf8[i]);
      // ASCII, most of most text, needs no decoding.
      const size_t len = cp < 0x80 ? 1 : text::DecodeUtf8Char(utf8, i, &cp);
      if (len == 0) return Status::InvalidArgument("the text is not valid UTF-8");
      units += cp >= 0x10000 ? 2 : 1;
      narrow = narrow && cp != 0 && cp < 0x100;
      i += len;
    }
    // "FF FE" plus a byte per character saves room only from three on.
    narrow = narrow && units > 2;
    out.resize(narrow ? units + 2 : units * 2);
    uint8_t* at = out.data();
    if (narrow) {
      *at++ = 0xFF;
      *at++ = 0xFE;
    }
    auto put = [&at](uint32_t u) {
      *at++ = static_cast<uint8_t>(u);
      *at++ = static_cast<uint8_t>(u >> 8);
    };
    for (size_t i = 0; i < utf8.size();) {
      char32_t cp = static_cast<uint8_t>(utf8[i]);
      i += cp < 0x80 ? 1 : text::DecodeUtf8Char(utf8, i, &cp);
      if (narrow) {
        *at++ = static_cast<uint8_t>(cp);
      } else if (cp >= 0x10000) {
        put(0xD800 + ((cp - 0x10000) >> 10));
        put(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        put(cp);
      }
    }
    return out;
  }
  if (cd_ == kNoIconv) return Status::NotSupported("no converter for the database's code page");
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  std::string in = utf8;
  char* src = in.data();
  size_t left = in.size();
  out.resize(in.size() * 2 + 8);
  char* dst = reinterpret_cast<char*>(out.data());
  size_t room = out.size();
  if (iconv(cd_, &src, &left, &dst, &room) == static_cast<size_t>(-1)) {
    return Status::InvalidArgument("the text has a character the database's code page cannot store");
  }
  out.resize(out.size() - room);
  return out;
}

size_t TextEncoder::StoredLength(const std::string& utf8, const std::vector<uint8_t>& encoded) const {
  if (!utf16_) return encoded.size();
  // Encode accepted the text, so it is valid UTF-8: count its code units.
  size_t units = 0;
  for (unsigned char ch : utf8) {
    if ((ch & 0xC0) != 0x80) units += ch >= 0xF0 ? 2 : 1;
  }
  return units;
}

}  // namespace jet
