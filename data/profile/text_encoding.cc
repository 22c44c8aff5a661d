#include "data/profile/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace data::profile {
namespace {

// Length of the well-formed UTF-8 sequence at text[pos], or 0 when the bytes
// there are not one.
std::size_t SequenceLength(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(pos);
  if (lead < 0x80) return 1;
  std::size_t length;
  std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlongs
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - pos < length) return 0;
  if (byte(pos + 1) < low || byte(pos + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return 0;
  }
  return length;
}

std::optional<std::string> Convert(const char* to, const char* from, std::string_view text) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  out.resize(text.size() * 2 + 16);
  // iconv's interface takes non-const input pointers but does not write through them.
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  std::size_t done = 0;
  bool ok = true;
  while (in_left > 0) {
    char* out_ptr = out.data() + done;
    std::size_t out_left = out.size() - done;
    const std::size_t rc = iconv(cd, &in, &in_left, &out_ptr, &out_left);
    done = out.size() - out_left;
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    ok = false;  // EILSEQ or EINVAL: the input is not in the source encoding
    break;
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(done);
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = SequenceLength(text, pos);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::size_t Utf8PrefixLength(std::string_view text, std::size_t max_bytes) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t length = SequenceLength(text, pos);
    const std::size_t step = length == 0 ? 1 : length;
    if (pos + step > max_bytes) break;
    pos += step;
  }
  return pos;
}

std::optional<std::string> Gb18030ToUtf8(std::string_view text) {
  return Convert("UTF-8", "GB18030", text);
}

std::optional<std::string> Utf8ToGb18030(std::string_view text) {
  if (!IsValidUtf8(text)) return std::nullopt;
  return Convert("GB18030", "UTF-8", text);
}

std::optional<std::string> Utf16ToUtf8(std::string_view text, bool little_endian) {
  if (text.size() % 2 != 0) return std::nullopt;
  return Convert("UTF-8", little_endian ? "UTF-16LE" : "UTF-16BE", text);
}

std::optional<std::string> Utf8ToUtf16(std::string_view text, bool little_endian) {
  if (!IsValidUtf8(text)) return std::nullopt;
  return Convert(little_endian ? "UTF-16LE" : "UTF-16BE", "UTF-8", text);
}

}  // namespace data::profile
