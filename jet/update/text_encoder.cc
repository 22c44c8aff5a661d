#include "jet/update/text_encoder.h"

#include <cerrno>

namespace jet {

namespace {
const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);
}

bool Utf8ToUnits(const std::string& s, std::vector<uint16_t>* units) {
  units->clear();
  size_t i = 0;
  while (i < s.size()) {
    uint8_t b = static_cast<uint8_t>(s[i]);
    uint32_t cp = 0;
    size_t len = 0;
    if (b < 0x80) {
      cp = b;
      len = 1;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F;
      len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F;
      len = 3;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07;
      len = 4;
    } else {
      return false;
    }
    if (i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k) {
      uint8_t c = static_cast<uint8_t>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
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
  std::vector<uint16_t> units;
  if (!Utf8ToUnits(utf8, &units)) return Status::InvalidArgument("the text is not valid UTF-8");
  std::vector<uint8_t> out;
  if (utf16_) {
    bool narrow = compress && !units.empty();
    for (uint16_t u : units) narrow = narrow && u != 0 && u < 0x100;
    if (narrow) {
      out.reserve(units.size() + 2);
      out.push_back(0xFF);
      out.push_back(0xFE);
      for (uint16_t u : units) out.push_back(static_cast<uint8_t>(u));
      return out;
    }
    out.reserve(units.size() * 2);
    for (uint16_t u : units) {
      out.push_back(static_cast<uint8_t>(u));
      out.push_back(static_cast<uint8_t>(u >> 8));
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
  std::vector<uint16_t> units;
  Utf8ToUnits(utf8, &units);
  return units.size();
}

}  // namespace jet
