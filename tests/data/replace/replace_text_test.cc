// ReplaceText: every occurrence, ignoring case, on whole UTF-8 characters.
#include "data/replace_text.h"

#include <gtest/gtest.h>

#include "data/provider/instr.h"

namespace data {
namespace {

constexpr TReplaceFlags kModify = rfReplaceAll | rfIgnoreCase;

struct Case {
  const char* source;
  const char* old_pattern;
  const char* new_pattern;
  const char* expected;
};

class ModifyReplaceTest : public ::testing::TestWithParam<Case> {};

TEST_P(ModifyReplaceTest, GivesTheExpectedText) {
  const Case& c = GetParam();
  EXPECT_EQ(ReplaceText(c.source, c.old_pattern, c.new_pattern, kModify), c.expected)
      << "source " << c.source << ", " << c.old_pattern << " -> " << c.new_pattern;
}

INSTANTIATE_TEST_SUITE_P(Cases, ModifyReplaceTest,
                         ::testing::Values(
                             // Case is ignored; text outside the matches keeps its case.
                             Case{"ABCabcAbC", "abc", "X", "XXX"}, Case{"xAbCy", "ABC", "-", "x-y"},
                             Case{"Hello World", "o", "0", "Hell0 W0rld"},
                             // No re-replacement, no overlap: the scan goes on after the match.
                             Case{"a-b-a", "a", "aa", "aa-b-aa"}, Case{"aaa", "aa", "b", "ba"},
                             Case{"abab", "ab", "abab", "abababab"},
                             // Empty search text, empty source, empty replacement.
                             Case{"abc", "", "X", "abc"}, Case{"", "a", "X", ""},
                             Case{"banana", "a", "", "bnn"}, Case{"aaaa", "a", "", ""},
                             // The match at the very end, and no match at all.
                             Case{"xyzabc", "ABC", "!", "xyz!"}, Case{"xyz", "q", "!", "xyz"},
                             // Chinese and mixed text.
                             Case{"张三丰", "三", "四", "张四丰"},
                             Case{"北京ABC北京abc", "北京abc", "上海", "上海上海"},
                             Case{"数据库文件", "数据", "", "库文件"},
                             // Matches next to multi-byte characters.
                             Case{"中a文A", "a", "b", "中b文b"}, Case{"é€é", "€", "e", "éeé"},
                             // Letters beyond ASCII match their other case: Latin, Greek,
                             // Cyrillic, full-width Latin.
                             Case{"ÄPFEL äpfel", "äpfel", "Birne", "Birne Birne"},
                             Case{"ΣΟΦΙΑ σοφια", "σοφια", "x", "x x"},
                             Case{"Москва МОСКВА", "москва", "M", "M M"},
                             Case{"ＡＢＣａｂｃ", "ａｂｃ", "1", "11"}));

TEST(ReplaceTextTest, AMatchNeverStartsOrEndsInsideACharacter) {
  // A pattern of bytes cut out of a character must not match inside it.
  const std::string zhong = "中";            // E4 B8 AD
  const std::string tail = zhong.substr(1);  // B8 AD: not a character
  EXPECT_EQ(ReplaceText("a中b", tail, "X", kModify), "a中b");
  EXPECT_EQ(ReplaceText("a中b", zhong.substr(0, 2), "X", kModify), "a中b");
  // "亭" (E4 BA AD) and "中" share their first byte; only whole "中" matches.
  EXPECT_EQ(ReplaceText("亭中亭", "中", "-", kModify), "亭-亭");
}

TEST(ReplaceTextTest, ReplacementLandsOnMatchedCharactersWhenCaseChangesTheLength) {
  // U+0130 (2 bytes) lowers to "i" (1 byte) and U+212A KELVIN SIGN (3 bytes)
  // lowers to "k" (1 byte): the bytes replaced are the source's own.
  EXPECT_EQ(ReplaceText("xİy", "i", "_", kModify), "x_y");
  EXPECT_EQ(ReplaceText("\u212A\u212Ay", "kk", "K", kModify), "Ky");
  EXPECT_EQ(ReplaceText("ak\u212Ab", "KK", "[]", kModify), "a[]b");
}

TEST(ReplaceTextTest, StrayBytesMatchOnlyThemselves) {
  const std::string bad =
      "a\xff"
      "b\xc3";  // a lone 0xFF and a cut 2-byte lead
  EXPECT_EQ(ReplaceText(bad, "\xff", "F", kModify), "aFb\xc3");
  EXPECT_EQ(ReplaceText(bad, "\xc3", "C", kModify),
            "a\xff"
            "bC");
  EXPECT_EQ(ReplaceText(bad, "B", "-", kModify), "a\xff-\xc3");
}

TEST(ReplaceTextTest, FlagsSelectFirstOnlyAndExactCase) {
  EXPECT_EQ(ReplaceText("abcABCabc", "abc", "X", rfIgnoreCase), "XABCabc");
  EXPECT_EQ(ReplaceText("ABCabcABC", "abc", "X", rfReplaceAll), "ABCXABC");
  EXPECT_EQ(ReplaceText("ABCabc", "abc", "X", 0), "ABCX");
}

// Modify rewrites the rows the view's InStr condition listed: for every
// text and pattern, the replace must change the text exactly when the
// condition selects it.
TEST(ReplaceTextTest, ChangesExactlyTheTextsTheFilterSelects) {
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
