#include "jet/text_codec.h"

#include <cerrno>
#include <string>
#include <vector>

#include "text/utf8.h"

namespace jet {

using text::AppendUtf8;

namespace {
constexpr uint32_t kReplacement = text::kReplacementChar;
const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

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

std::string Utf8ToUtf16Le(const std::string& utf8) {
  std::string out;
  size_t i = 0;
  auto put = [&out](uint32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  };
  while (i < utf8.size()) {
    char32_t cp = kReplacement;
    size_t len = text::DecodeUtf8Char(utf8, i, &cp);
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
