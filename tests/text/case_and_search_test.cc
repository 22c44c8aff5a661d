// The text layer's UTF-8 decoding, case folding and search: the ground that
// table lookups, the view's filter and Modify's replace all stand on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/case_fold.h"
#include "text/text_search.h"
#include "text/utf8.h"

namespace text {
namespace {

// Index keys, row encoding, passwords and the search all step through text
// with one decoder: it must accept exactly the well-formed sequences.
TEST(Utf8Test, DecodesWellFormedCharactersAndRejectsTheRest) {
  struct Case {
    std::string bytes;
    size_t len;
    char32_t cp;
  };
  const Case cases[] = {
      {"A", 1, 0x41},
      {"\xC3\xA9", 2, 0xE9},             // é
      {"\xE4\xB8\xAD", 3, 0x4E2D},       // 中
      {"\xF0\x9F\x98\x80", 4, 0x1F600},  // emoji, outside the BMP
      {"\xC0\x80", 0, 0},                // overlong NUL
      {"\xE0\x80\xAF", 0, 0},            // overlong "/"
      {"\xED\xA0\x80", 0, 0},            // a surrogate written as UTF-8
      {"\xE4\xB8", 0, 0},                // cut short
      {"\xE4\x41\xAD", 0, 0},            // bad continuation byte
      {"\x80", 0, 0},                    // stray continuation byte
      {"\xF4\x90\x80\x80", 0, 0},        // beyond U+10FFFF
      {"\xF8\x88\x80\x80\x80", 0, 0},    // no five-byte forms
  };
  for (const Case& c : cases) {
    char32_t cp = 0;
    EXPECT_EQ(DecodeUtf8Char(c.bytes, 0, &cp), c.len) << c.bytes;
    if (c.len != 0) {
      EXPECT_EQ(cp, c.cp) << c.bytes;
      std::string again;
      AppendUtf8(cp, &again);
      EXPECT_EQ(again, c.bytes);
    }
  }
  std::string out;
  for (char32_t bad : {char32_t{0xD800}, char32_t{0x110000}}) AppendUtf8(bad, &out);
  EXPECT_EQ(out, "\uFFFD\uFFFD");
  // UTF-16 length: a pair beyond the basic plane, one unit per stray byte.
  EXPECT_EQ(Utf16Length("a中😀\xff\xe4\xb8"), 7u);
}

TEST(CaseFoldTest, LettersOfEveryScriptMatchTheirOtherCase) {
  struct Case {
    std::string a, b;
    bool equal;
  };
  const Case cases[] = {
      {"Table1", "TABLE1", true},
      {"ÉTÉ", "été", true},
      {"БаЗА", "база", true},
      {"ΣΟΦΙΑ", "σοφια", true},
      {"ＡＢＣ", "ａｂｃ", true},
      {"中文", "中文", true},
      {"abc", "abd", false},
      {"ab", "abc", false},
      {"é", "e", false},  // accents are not dropped
      // A malformed byte equals only itself, never another malformed byte.
      {"a\xff", "A\xff", true},
      {"a\xff", "a\xfe", false},
      {"a\xff", "a\uFFFD", false},
      {"\xC3", "\xC3\xA9", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EqualsIgnoreCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(FoldCase(c.a) == FoldCase(c.b), c.equal) << c.a << " / " << c.b;
  }
  EXPECT_EQ(FoldCase("ÉTÉ Table\xff"), "été table\xff");
  EXPECT_EQ(FoldCase(char32_t{0x212A}), U'k');  // the Kelvin sign is a K
  EXPECT_TRUE(EqualsIgnoreAsciiCase("Data Source", "DATA source"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("Été", "éTÉ"));
}

TEST(TextSearchTest, FindsWholeCharactersWithOrWithoutCaseAndContainsAnswersAlike) {
  struct Case {
    std::string text, pattern;
    CaseMode mode;
    size_t from;
    size_t expected;  // character index, or kNone
  };
  constexpr size_t kNone = TextSearch::kNone;
  constexpr CaseMode kFold = CaseMode::kIgnoreCase, kExact = CaseMode::kExact;
  const Case cases[] = {
      {"xAbCabc", "abc", kFold, 0, 1},
      {"xAbCabc", "abc", kExact, 0, 4},
      {"xAbCabc", "abc", kFold, 2, 4},
      {"xAbCabc", "abc", kFold, 5, kNone},
      {"abc", "", kFold, 0, kNone},
      {"", "a", kFold, 0, kNone},
      {"ab", "abc", kFold, 0, kNone},
      {"数据ÄPFEL", "äpfel", kFold, 0, 2},
      {"\u212A\u212Ay", "KK", kFold, 0, 0},  // folding may change the byte length
      // A pattern cut out of a character never matches inside it.
      {"亭中亭", "中", kFold, 0, 1},
      {"a中b", "\xB8\xAD", kFold, 0, kNone},
      {"a中b", "\xE4\xB8", kFold, 0, kNone},
      // Stray bytes match only the same stray byte.
      {"a\xff"
       "b\xc3",
       "\xc3", kFold, 0, 3},
      {"a\xfe\xff", "\xff", kExact, 0, 2},
  };
  for (const Case& c : cases) {
    TextSearch search(c.pattern, c.mode);
    search.SetText("some earlier, longer text that leaves its characters behind");
    search.SetText(c.text);
    EXPECT_EQ(search.Find(c.from), c.expected) << c.text << " / " << c.pattern;
  }
  // Characters carry the offsets of their first bytes.
  TextSearch search("x", CaseMode::kIgnoreCase);
  search.SetText("a中\xff😀");
  std::vector<size_t> offsets;
  for (const Char& c : search.chars()) offsets.push_back(c.offset);
  EXPECT_EQ(offsets, (std::vector<size_t>{0, 1, 4, 5}));
  // Contains looks for ASCII patterns byte by byte, sixteen places at a time:
  // on texts of every kind of character, near and across those blocks, it
  // must answer as decoding and Find do.
  const std::string pieces[] = {"a", "B", "x", "Y", "@", "`", "-", " ", "中", "É", "é",
                                "\xC4\xB0", "\u212A", "\xff", "\xE4\xB8", "😀", "ab", "AB"};
  const std::string patterns[] = {"ab", "AB", "b", "xy", "i", "k", "a-b", "@", "é", "中b", ""};
  uint32_t seed = 11;
  int found = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = round % 40;
    for (int i = 0; i < length; ++i) {
      seed = seed * 1103515245 + 12345;
      text += pieces[(seed >> 16) % std::size(pieces)];
    }
    for (const std::string& pattern : patterns) {
      for (CaseMode mode : {CaseMode::kIgnoreCase, CaseMode::kExact}) {
        TextSearch reference(pattern, mode);
        reference.SetText(text);
        const bool expected = reference.Find(0) != TextSearch::kNone;
        TextSearch search(pattern, mode);
        ASSERT_EQ(search.Contains(text), expected) << text << " / " << pattern;
        found += expected ? 1 : 0;
      }
    }
  }
  EXPECT_GT(found, 10000);  // the texts hold the patterns often
}

}  // namespace
}  // namespace text
