#include "jet/text_codec.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <bit>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "text/utf8.h"

namespace jet {

using text::AppendUtf8;

namespace {
constexpr uint32_t kReplacement = text::kReplacementChar;
const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

// Writes `cp`, a code point that is neither a surrogate nor beyond U+10FFFF,
// as UTF-8 at `p` and returns the end.
inline char* PutUtf8(uint32_t cp, char* p) {
  if (cp < 0x80) {
    *p++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *p++ = static_cast<char>(0xC0 | (cp >> 6));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *p++ = static_cast<char>(0xE0 | (cp >> 12));
    *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *p++ = static_cast<char>(0xF0 | (cp >> 18));
    *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return p;
}

// Turns UTF-16 code units into UTF-8 written straight into a buffer the
// caller sized: at most three bytes per unit (a surrogate pair gives four; a
// high surrogate left waiting gives its U+FFFD later, within its own share)
// and two per byte of compressed text.
class Utf16Writer {
 public:
  explicit Utf16Writer(char* p) : p_(p) {}

  void Put(uint32_t unit) {
    if (pending_ != 0) {
      if (unit >= 0xDC00 && unit <= 0xDFFF) {
        p_ = PutUtf8(0x10000 + ((pending_ - 0xD800) << 10) + (unit - 0xDC00), p_);
        pending_ = 0;
        return;
      }
      p_ = PutUtf8(kReplacement, p_);
      pending_ = 0;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      pending_ = unit;
    } else {
      // A lone low surrogate becomes U+FFFD.
      p_ = PutUtf8(unit >= 0xDC00 && unit <= 0xDFFF ? kReplacement : unit, p_);
    }
  }

  // `units` little-endian code units at `in`. Most text is ASCII, or runs of
  // it between runs of other characters: after an ASCII unit the ones that
  // follow go eight (or four) at a time. Other characters of the basic plane
  // are written here; surrogates, and a unit after a waiting high
  // surrogate, go through Put.
  void PutUnits(const uint8_t* in, size_t units) {
    size_t i = 0;
    for (; i < units && pending_ != 0; ++i) Put(Unit(in, i));
    char* p = p_;  // a local: stores through p_ itself could alias p_
    while (i < units) {
      const uint32_t u = Unit(in, i);
      ++i;
      if (u < 0x80) {
        *p++ = static_cast<char>(u);
        // More ASCII is likely to follow.
        const size_t run = AsciiRun(in + 2 * i, units - i, p);
        p += run;
        i += run;
      } else if (u < 0x800) {
        p[0] = static_cast<char>(0xC0 | (u >> 6));
        p[1] = static_cast<char>(0x80 | (u & 0x3F));
        p += 2;
      } else if (u < 0xD800 || u > 0xDFFF) {
        p[0] = static_cast<char>(0xE0 | (u >> 12));
        p[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        p[2] = static_cast<char>(0x80 | (u & 0x3F));
        p += 3;
      } else {
        p_ = p;
        Put(u);
        for (; i < units && pending_ != 0; ++i) Put(Unit(in, i));
        p = p_;
      }
    }
    p_ = p;
  }

  static uint32_t Unit(const uint8_t* in, size_t i) {
    return static_cast<uint32_t>(in[2 * i]) | (static_cast<uint32_t>(in[2 * i + 1]) << 8);
  }

  // Copies the ASCII units at the start of `in` (at most `units`) to `p` a
  // block at a time and returns how many it copied (a multiple of the block;
  // the units after them may still be ASCII).
  static size_t AsciiRun(const uint8_t* in, size_t units, char* p) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(static_cast<int16_t>(0xFF80));
    for (; units - i >= 8; i += 8) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
      const __m128i narrow = _mm_cmpeq_epi16(_mm_and_si128(v, high), _mm_setzero_si128());
      if (_mm_movemask_epi8(narrow) != 0xFFFF) break;
      _mm_storel_epi64(reinterpret_cast<__m128i*>(p + i), _mm_packus_epi16(v, v));
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
      for (; units - i >= 4; i += 4) {
        uint64_t x;
        std::memcpy(&x, in + 2 * i, 8);
        if ((x & 0xFF80FF80FF80FF80ull) != 0) break;
        p[i] = static_cast<char>(x);
        p[i + 1] = static_cast<char>(x >> 16);
        p[i + 2] = static_cast<char>(x >> 32);
        p[i + 3] = static_cast<char>(x >> 48);
      }
    }
    return i;
  }

  // A byte of compressed text: a Latin-1 code point. A high surrogate left
  // waiting before it has no partner.
  void PutNarrow(uint8_t b) {
    Finish();
    if (b < 0x80) {
      *p_++ = static_cast<char>(b);
    } else {
      *p_++ = static_cast<char>(0xC0 | (b >> 6));
      *p_++ = static_cast<char>(0x80 | (b & 0x3F));
    }
  }

  char* Finish() {
    if (pending_ != 0) p_ = PutUtf8(kReplacement, p_);
    pending_ = 0;
    return p_;
  }

 private:
  char* p_;
  uint32_t pending_ = 0;
};

// Makes room for `n` more bytes at the end of `out`; returns where to write.
char* Grow(std::string* out, size_t n) {
  const size_t old = out->size();
  out->resize(old + n);
  return out->data() + old;
}

}  // namespace

void AppendUtf16Le(ByteView bytes, std::string* out) {
  Utf16Writer w(Grow(out, 3 * (bytes.size / 2)));
  w.PutUnits(bytes.data, bytes.size / 2);
  out->resize(static_cast<size_t>(w.Finish() - out->data()));
}

namespace {

// Walks Jet 4 stored text in runs: `narrow(p, n)` for n one-byte characters
// of compressed text, `wide(p, units)` for little-endian UTF-16 units (all
// of uncompressed text). Text decoded to UTF-8 and text searched as units
// both come through here, so they always read the same characters.
template <typename Narrow, typename Wide>
void WalkJet4Text(ByteView bytes, Narrow narrow, Wide wide) {
  if (bytes.size < 2 || bytes.U8(0) != 0xFF || bytes.U8(1) != 0xFE) {
    wide(bytes.data, bytes.size / 2);  // a trailing odd byte is ignored
    return;
  }
  bool compressed = true;
  size_t i = 2;
  while (i < bytes.size) {
    // A zero byte switches between one byte per character and plain UTF-16,
    // in either mode: text holding a character whose low byte is zero is
    // never stored compressed.
    if (compressed) {
      const auto* zero = static_cast<const uint8_t*>(std::memchr(bytes.data + i, 0, bytes.size - i));
      const size_t end = zero == nullptr ? bytes.size : static_cast<size_t>(zero - bytes.data);
      narrow(bytes.data + i, end - i);
      i = end;
    } else {
      size_t j = i;
      while (j + 1 < bytes.size && bytes.data[j] != 0) j += 2;
      wide(bytes.data + i, (j - i) / 2);
      i = j;
      if (i < bytes.size && bytes.data[i] != 0) break;  // an odd trailing byte
    }
    if (i < bytes.size) {
      compressed = !compressed;
      ++i;
    }
  }
}

}  // namespace

void AppendJet4Text(ByteView bytes, std::string* out) {
  // At most two bytes of UTF-8 per stored byte, compressed or not.
  Utf16Writer w(Grow(out, 2 * bytes.size));
  WalkJet4Text(
      bytes,
      [&w](const uint8_t* p, size_t n) {
        for (size_t k = 0; k < n; ++k) w.PutNarrow(p[k]);
      },
      [&w](const uint8_t* p, size_t units) { w.PutUnits(p, units); });
  out->resize(static_cast<size_t>(w.Finish() - out->data()));
}

void AppendJet4Units(ByteView bytes, std::u16string* out) {
  WalkJet4Text(
      bytes, [out](const uint8_t* p, size_t n) { out->append(p, p + n); },
      [out](const uint8_t* p, size_t units) {
        if (units == 0) return;  // `p` may be null for empty text
        const size_t old = out->size();
        out->resize(old + units);
        char16_t* to = out->data() + old;
        if constexpr (std::endian::native == std::endian::little) {
          std::memcpy(to, p, 2 * units);
        } else {
          for (size_t k = 0; k < units; ++k) to[k] = static_cast<char16_t>(p[2 * k] | (p[2 * k + 1] << 8));
        }
      });
}

std::string Utf16LeToUtf8(ByteView bytes) {
  std::string out;
  AppendUtf16Le(bytes, &out);
  return out;
}

std::string DecodeJet4Text(ByteView bytes) {
  std::string out;
  AppendJet4Text(bytes, &out);
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
