// Text decoding: Jet 4 UTF-16 with and without compression, Jet 3 code pages
// (1252 and 936).
#include "jet/text_codec.h"

#include <gtest/gtest.h>

#include "text/text_search.h"
#include "text/utf8.h"

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

// The decoder copies ASCII a block of code units at a time: around those
// blocks every kind of unit (ASCII, two- and three-byte, paired and lone
// surrogates, a compression switch) must come out as a plain unit-by-unit
// reading gives.
TEST(TextCodecTest, WordAtATimeDecodingMatchesUnitByUnitReading) {
  const uint16_t kinds[] = {'a', '"', 0x7F, 0x80, 0xE9, 0x4E2D, 0xFFFF, 0xD83D, 0xDE00, 0x100};
  auto reference = [](const std::vector<uint16_t>& units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
      uint32_t u = units[i];
      if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
          units[i + 1] <= 0xDFFF) {
        u = 0x10000 + ((u - 0xD800) << 10) + (units[++i] - 0xDC00);
      }
      text::AppendUtf8(u, &out);  // a lone surrogate becomes U+FFFD
    }
    return out;
  };
  uint32_t seed = 7;
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint16_t> units;
    const size_t length = round % 23;
    for (size_t i = 0; i < length; ++i) {
      seed = seed * 1103515245 + 12345;
      // Mostly ASCII, so that runs of four and more are common.
      units.push_back((seed >> 16) % 3 != 0 ? static_cast<uint16_t>('A' + (seed >> 20) % 26)
                                            : kinds[(seed >> 18) % std::size(kinds)]);
    }
    std::vector<uint8_t> plain;
    for (uint16_t u : units)
      plain.insert(plain.end(), {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8)});
    std::string appended = "prefix";
    AppendJet4Text(V(plain), &appended);
    ASSERT_EQ(appended, "prefix" + reference(units)) << "round " << round;
    std::u16string wide = u"x";
    AppendJet4Units(V(plain), &wide);
    ASSERT_EQ(wide, u"x" + std::u16string(units.begin(), units.end())) << "round " << round;
    // The same text compressed: narrow characters one byte each, runs of
    // wide ones (none with a zero low byte) between switches.
    std::vector<uint8_t> packed = {0xFF, 0xFE};
    bool narrow = true;
    std::vector<uint16_t> kept;
    for (uint16_t u : units) {
      if ((u & 0xFF) == 0) continue;  // would read as a switch
      kept.push_back(u);
      if ((u < 0x100) != narrow) {
        packed.push_back(0);
        narrow = !narrow;
      }
      packed.push_back(static_cast<uint8_t>(u));
      if (!narrow) packed.push_back(static_cast<uint8_t>(u >> 8));
    }
    ASSERT_EQ(DecodeJet4Text(V(packed)), reference(kept)) << "round " << round;
    wide.clear();
    AppendJet4Units(V(packed), &wide);
    ASSERT_EQ(wide, std::u16string(kept.begin(), kept.end())) << "round " << round;
  }
}

// A filter searches text stored as UTF-16 on its units where it can. It
// must select exactly the rows that searching the decoded UTF-8 selects:
// with characters whose case folds into ASCII (the Kelvin sign, the dotted
// capital I), lone surrogates, and matches across blocks of units.
TEST(TextCodecTest, SearchingUnitsAnswersAsSearchingDecodedText) {
  const char16_t kinds[] = {u'k', u'K', 0x212A, u'i', u'I', 0x130, 0x5E02, 0x4E2D, 0xC9, 0xE9,
                            u'-', 0xD83D, 0xDE00, 0xFFFD, u' ', 0x5E00};
  const char* patterns[] = {"k", "KI", "市", "中市", "i市-", "é", "\xEF\xBF\xBD", "ik k"};
  uint32_t seed = 5;
  int answered = 0, found = 0;
  for (int round = 0; round < 3000; ++round) {
    std::u16string units;
    for (int i = 0; i < round % 37; ++i) {
      seed = seed * 1103515245 + 12345;
      units.push_back(kinds[(seed >> 16) % std::size(kinds)]);
    }
    std::vector<uint8_t> stored;
    for (char16_t u : units) stored.insert(stored.end(), {uint8_t(u & 0xFF), uint8_t(u >> 8)});
    const std::string utf8 = DecodeJet4Text(V(stored));
    for (const char* pattern : patterns) {
      for (auto mode : {text::CaseMode::kIgnoreCase, text::CaseMode::kExact}) {
        text::TextSearch search(pattern, mode);
        search.SetText(utf8);
        const bool expected = search.Find(0) != text::TextSearch::kNone;
        const std::optional<bool> answer = search.ContainsUtf16(units);
        if (answer) {
          ASSERT_EQ(*answer, expected) << "round " << round << ", " << pattern;
        }
        answered += answer ? 1 : 0;
        found += expected ? 1 : 0;
      }
    }
  }
  // The units answer for most texts, and the patterns occur often enough to matter.
  EXPECT_GT(answered, 30000);
  EXPECT_GT(found, 15000);
  EXPECT_FALSE(text::TextSearch("é", text::CaseMode::kIgnoreCase).utf16_searchable());
  EXPECT_TRUE(text::TextSearch("é", text::CaseMode::kExact).utf16_searchable());
}

TEST(TextCodecTest, CodePagesDecodeToUtf8AndUtf16RoundTrips) {
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
  // UTF-8 to UTF-16 round trips.
  std::string s = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
  std::string u = Utf8ToUtf16Le(s);
  EXPECT_EQ(u.size(), 10u);
  EXPECT_EQ(Utf16LeToUtf8(ByteView{reinterpret_cast<const uint8_t*>(u.data()), u.size()}), s);
}

}  // namespace
}  // namespace jet
