#include "jet/text_codec.h"

#include <cerrno>
#include <string>
#include <vector>

namespace jet {

namespace {
constexpr uint32_t kReplacement = 0xFFFD;
const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);
}  // namespace

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

namespace {
// Feeds UTF-16 code units one at a time, pairing surrogates.
class Utf16Sink {
 public:
  explicit Utf16Sink(std::string* out) : out_(out) {}
  void Put(uint16_t unit) {
    if (pending_ != 0) {
      if (unit >= 0xDC00 && unit <= 0xDFFF) {
        AppendUtf8(0x10000 + ((pending_ - 0xD800) << 10) + (unit - 0xDC00), out_);
        pending_ = 0;
        return;
      }
      AppendUtf8(kReplacement, out_);
      pending_ = 0;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      pending_ = unit;
    } else {
      AppendUtf8(unit, out_);  // a lone low surrogate becomes U+FFFD there
    }
  }
  void Finish() {
    if (pending_ != 0) AppendUtf8(kReplacement, out_);
    pending_ = 0;
  }

 private:
  std::string* out_;
  uint32_t pending_ = 0;
};
}  // namespace

std::string Utf16LeToUtf8(ByteView bytes) {
  std::string out;
  out.reserve(bytes.size / 2);
  Utf16Sink sink(&out);
  for (size_t i = 0; i + 1 < bytes.size; i += 2) sink.Put(bytes.U16(i));
  sink.Finish();
  return out;
}

std::string DecodeJet4Text(ByteView bytes) {
  if (bytes.size < 2 || bytes.U8(0) != 0xFF || bytes.U8(1) != 0xFE) return Utf16LeToUtf8(bytes);
  std::string out;
  out.reserve(bytes.size);
  Utf16Sink sink(&out);
  bool compressed = true;
  size_t i = 2;
  while (i < bytes.size) {
    if (bytes.U8(i) == 0) {
      compressed = !compressed;
      ++i;
    } else if (compressed) {
      // Runs of ASCII go straight through; other bytes are Latin-1 code points.
      uint8_t b = bytes.U8(i);
      if (b < 0x80) {
        size_t j = i;
        while (j < bytes.size && bytes.U8(j) != 0 && bytes.U8(j) < 0x80) ++j;
        sink.Finish();  // a dangling high surrogate goes out before the run
        out.append(reinterpret_cast<const char*>(bytes.data) + i, j - i);
        i = j;
      } else {
        sink.Put(b);
        ++i;
      }
    } else if (i + 1 < bytes.size) {
      sink.Put(bytes.U16(i));
      i += 2;
    } else {
      break;  // odd trailing byte
    }
  }
  sink.Finish();
  return out;
}

size_t DecodeUtf8Char(std::string_view s, size_t i, uint32_t* cp) {
  const auto b = static_cast<uint8_t>(s[i]);
  size_t len;
  uint32_t v;
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
  static constexpr uint32_t kMinForLength[] = {0, 0, 0x80, 0x800, 0x10000};
  if (v < kMinForLength[len] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
  *cp = v;
  return len;
}

std::string Utf8ToUtf16Le(const std::string& utf8) {
  std::string out;
  size_t i = 0;
  auto put = [&out](uint32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  };
  while (i < utf8.size()) {
    uint32_t cp = kReplacement;
    size_t len = DecodeUtf8Char(utf8, i, &cp);
    if (len == 0) cp = kReplacement, len = 1;  // one bad byte, one replacement
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
    i += len;
  }
  return out;
}

CodePageDecoder::CodePageDecoder(uint16_t code_page) : code_page_(code_page), cd_(kNoIconv) {
  if (code_page_ != 0) {
    std::string name = "CP" + std::to_string(code_page_);
    cd_ = iconv_open("UTF-8", name.c_str());
  }
  if (cd_ == kNoIconv) {
    code_page_ = 1252;
    cd_ = iconv_open("UTF-8", "CP1252");
  }
}

CodePageDecoder::~CodePageDecoder() {
  if (cd_ != kNoIconv) iconv_close(cd_);
}

std::string CodePageDecoder::Decode(ByteView bytes) const {
  std::string out;
  if (bytes.size == 0) return out;
  bool ascii = true;
  for (size_t i = 0; i < bytes.size && ascii; ++i) ascii = bytes.U8(i) < 0x80;
  if (ascii || cd_ == kNoIconv) {
    for (size_t i = 0; i < bytes.size; ++i) {
      uint8_t b = bytes.U8(i);
      AppendUtf8(b < 0x80 ? b : kReplacement, &out);
    }
    return out;
  }
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
  std::vector<char> buf(bytes.size * 4 + 8);
  // iconv wants a non-const input pointer but never writes through it.
  char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data));
  size_t in_left = bytes.size;
  while (in_left > 0) {
    char* dst = buf.data();
    size_t dst_left = buf.size();
    size_t r = iconv(cd_, &in, &in_left, &dst, &dst_left);
    out.append(buf.data(), dst - buf.data());
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // An unmapped byte or a truncated multi-byte sequence: skip one byte. The
    // five holes of 1252 are the C1 controls of the same value on Windows.
    auto b = static_cast<uint8_t>(*in);
    bool c1 = code_page_ == 1252 && (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D);
    AppendUtf8(c1 ? b : kReplacement, &out);
    ++in;
    --in_left;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

}  // namespace jet

#include <locale.h>
#include <wctype.h>

namespace jet {

namespace {
// Decodes UTF-8 into code points; malformed bytes become U+FFFD.
std::u32string Utf8ToCodePoints(const std::string& s) {
  std::u32string out;
  size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<uint8_t>(s[i]);
    size_t len = c < 0x80             ? 1
                 : (c & 0xE0) == 0xC0 ? 2
                 : (c & 0xF0) == 0xE0 ? 3
                 : (c & 0xF8) == 0xF0 ? 4
                                      : 0;
    if (len == 0 || i + len > s.size()) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    uint32_t cp = len == 1 ? c : c & (0x7F >> len);
    bool ok = true;
    for (size_t k = 1; k < len; ++k) {
      auto cc = static_cast<uint8_t>(s[i + k]);
      if ((cc & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    out.push_back(ok ? cp : kReplacement);
    i += ok ? len : 1;
  }
  return out;
}

locale_t Utf8Locale() {
  static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return loc;
}
}  // namespace

std::string FoldCase(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  locale_t loc = Utf8Locale();
  for (char32_t cp : Utf8ToCodePoints(utf8)) {
    uint32_t lower = cp;
    if (cp < 0x80) {
      if (cp >= 'A' && cp <= 'Z') lower = cp + 32;
    } else if (loc != static_cast<locale_t>(nullptr)) {
      lower = static_cast<uint32_t>(towlower_l(static_cast<wint_t>(cp), loc));
    } else if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) {
      lower = cp + 32;  // Latin-1 letters when no Unicode locale is available
    }
    AppendUtf8(lower, &out);
  }
  return out;
}

}  // namespace jet
