// Text decoding: Jet 4 UTF-16 with and without compression, Jet 3 code pages
// (1252 and 936).
#include "jet/text_codec.h"

#include <gtest/gtest.h>

namespace jet {
namespace {

ByteView V(const std::vector<uint8_t>& b) { return ByteView{b.data(), b.size()}; }

TEST(TextCodecTest, Jet4PlainAndCompressedText) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string expected;
  };
  const Case cases[] = {
      {"plain UTF-16", {'A', 0, 0xE9, 0, 0x2D, 0x4E}, "A\xC3\xA9\xE4\xB8\xAD"},
      {"compressed", {0xFF, 0xFE, 'a', 'b', 0xE9}, "ab\xC3\xA9"},
      {"compressed, switching to UTF-16 and back",
       {0xFF, 0xFE, 'a', 0x00, 0x2D, 0x4E, 0x00, 'z'},
       "a\xE4\xB8\xADz"},
      {"surrogate pair", {0x3D, 0xD8, 0x00, 0xDE}, "\xF0\x9F\x98\x80"},
      {"lone surrogate", {0x3D, 0xD8, 'x', 0}, "\xEF\xBF\xBDx"},
      {"odd trailing byte", {'a', 0, 'b'}, "a"},
      {"empty", {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodeJet4Text(V(c.bytes)), c.expected);
  }
}

TEST(TextCodecTest, CodePagesDecodeToUtf8) {
  CodePageDecoder cp1252(1252);
  EXPECT_EQ(cp1252.Decode(V({'c', 'a', 'f', 0xE9, 0x80})), "caf\xC3\xA9\xE2\x82\xAC");
  // The undefined positions of 1252 keep their value, as Windows does.
  EXPECT_EQ(cp1252.Decode(V({'A', 0x81, 'A'})),
            "A\xC2\x81"
            "A");
  CodePageDecoder cp936(936);
  EXPECT_EQ(cp936.code_page(), 936);
  // "中文" in GBK, then a truncated lead byte.
  EXPECT_EQ(cp936.Decode(V({0xD6, 0xD0, 0xCE, 0xC4, 'x'})), "\xE4\xB8\xAD\xE6\x96\x87x");
  EXPECT_EQ(cp936.Decode(V({'x', 0xD6})), "x\xEF\xBF\xBD");
  CodePageDecoder unknown(1);
  EXPECT_EQ(unknown.code_page(), 1252);
}

TEST(TextCodecTest, Utf8ToUtf16RoundTrips) {
  std::string s = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
  std::string u = Utf8ToUtf16Le(s);
  EXPECT_EQ(u.size(), 10u);
  EXPECT_EQ(Utf16LeToUtf8(ByteView{reinterpret_cast<const uint8_t*>(u.data()), u.size()}), s);
}

}  // namespace
}  // namespace jet
