// ReplaceText: every occurrence, ignoring case, on whole UTF-8 characters.
#include "data/replace_text.h"

#include <gtest/gtest.h>

#include "data/provider/instr.h"

namespace data {
namespace {

constexpr TReplaceFlags kModify = rfReplaceAll | rfIgnoreCase;

TEST(ReplaceTextTest, ModifyGivesTheExpectedText) {
  const struct {
    const char* source;
    const char* old_pattern;
    const char* new_pattern;
    const char* expected;
  } cases[] = {
      // clang-format off
      // Case is ignored; text outside the matches keeps its case.
      {"ABCabcAbC", "abc", "X", "XXX"}, {"xAbCy", "ABC", "-", "x-y"},
      {"Hello World", "o", "0", "Hell0 W0rld"},
      // No re-replacement, no overlap: the scan goes on after the match.
      {"a-b-a", "a", "aa", "aa-b-aa"}, {"aaa", "aa", "b", "ba"}, {"abab", "ab", "abab", "abababab"},
      // Empty search text, empty source, empty replacement.
      {"abc", "", "X", "abc"}, {"", "a", "X", ""}, {"banana", "a", "", "bnn"}, {"aaaa", "a", "", ""},
      // The match at the very end, and no match at all.
      {"xyzabc", "ABC", "!", "xyz!"}, {"xyz", "q", "!", "xyz"},
      // Chinese and mixed text, and matches next to multi-byte characters.
      {"张三丰", "三", "四", "张四丰"}, {"北京ABC北京abc", "北京abc", "上海", "上海上海"},
      {"数据库文件", "数据", "", "库文件"}, {"中a文A", "a", "b", "中b文b"}, {"é€é", "€", "e", "éeé"},
      // Letters beyond ASCII match their other case: Latin, Greek, Cyrillic, full-width Latin.
      {"ÄPFEL äpfel", "äpfel", "Birne", "Birne Birne"}, {"ΣΟΦΙΑ σοφια", "σοφια", "x", "x x"},
      {"Москва МОСКВА", "москва", "M", "M M"}, {"ＡＢＣａｂｃ", "ａｂｃ", "1", "11"},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceText(c.source, c.old_pattern, c.new_pattern, kModify), c.expected)
        << "source " << c.source << ", " << c.old_pattern << " -> " << c.new_pattern;
  }
}

TEST(ReplaceTextTest, ReplacementLandsOnMatchedCharactersFlagsSelectAndTheFilterAgrees) {
  // U+0130 (2 bytes) lowers to "i" (1 byte) and U+212A KELVIN SIGN (3 bytes)
  // lowers to "k" (1 byte): the bytes replaced are the source's own.
  EXPECT_EQ(ReplaceText("xİy", "i", "_", kModify), "x_y");
  EXPECT_EQ(ReplaceText("\u212A\u212Ay", "kk", "K", kModify), "Ky");
  EXPECT_EQ(ReplaceText("ak\u212Ab", "KK", "[]", kModify), "a[]b");
  // Flags select the first match only and the exact case.
  EXPECT_EQ(ReplaceText("abcABCabc", "abc", "X", rfIgnoreCase), "XABCabc");
  EXPECT_EQ(ReplaceText("ABCabcABC", "abc", "X", rfReplaceAll), "ABCXABC");
  EXPECT_EQ(ReplaceText("ABCabc", "abc", "X", 0), "ABCX");
  // Modify rewrites the rows the view's InStr condition listed: for every
  // text and pattern, the replace must change the text exactly when the
  // condition selects it.
  const std::string texts[] = {
      "ABCabc", "xİy",       "ÄPFEL", "Straße", "ǅ", "ΣΟΦΟΣ σοφος ς", "\u212Aelvin", "ＡＢＣ",
      "亭中亭", "a\xff\xfe", "😀Ab",   "",       "ﬁ"};
  const std::string patterns[] = {"abc",    "i",  "äpfel",    "SS",   "ǆ",  "ς", "σ",  "k",
                                  "ａｂｃ", "中", "\xB8\xAD", "\xfe", "😀a", "İ", "fi", "é"};
  for (const std::string& t : texts) {
    for (const std::string& p : patterns) {
      const bool selected = provider::InStrIgnoreCase(1, t, p) != 0;
      EXPECT_EQ(ReplaceText(t, p, "\x01", kModify) != t, selected) << t << " / " << p;
    }
  }
}

}  // namespace
}  // namespace data
