// The statement subset and InStr.
#include "data/provider/sql.h"

#include <gtest/gtest.h>

#include "data/provider/instr.h"
#include "data/provider/provider.h"
#include "text/calendar.h"

namespace provider {
namespace {

std::string Error(const std::string& statement) {
  try {
    ParseSelect(statement);
  } catch (const ProviderError& e) {
    return e.what();
  }
  return "parsed";
}

TEST(ParseSelect, PlainSpacedAndInStrConditionsAndFailuresNameTheProblem) {
  SelectStatement s = ParseSelect("Select * From Customers\r\n");
  EXPECT_EQ(s.table, "Customers");
  EXPECT_FALSE(s.where.has_value());
  s = ParseSelect("  sElEcT*fRoM\t[Order Details] ; ");
  EXPECT_EQ(s.table, "Order Details");
  s = ParseSelect("Select * From 客户表");
  EXPECT_EQ(s.table, "客户表");
  // InStr conditions.
  s = ParseSelect("Select * From T Where InStr(Name,'abc')\r\n");
  ASSERT_TRUE(s.where.has_value());
  EXPECT_EQ(s.where->field, "Name");
  EXPECT_EQ(s.where->text, "abc");
  EXPECT_EQ(s.where->start, 1);
  s = ParseSelect("select * from T where instr ( 3 , [My Field] , 'O''Brien' ) > 0");
  EXPECT_EQ(s.where->start, 3);
  EXPECT_EQ(s.where->field, "My Field");
  EXPECT_EQ(s.where->text, "O'Brien");
  s = ParseSelect("Select * From T Where InStr(F,\"say \"\"x\"\"\")<>0;");
  EXPECT_EQ(s.where->text, "say \"x\"");
  s = ParseSelect("Select * From T Where InStr(F,'')");
  EXPECT_EQ(s.where->text, "");
  s = ParseSelect("Select * From T Where InStr(F,'a;b:c')");
  EXPECT_EQ(s.where->text, "a;b:c");
  // Failures name the problem.
  EXPECT_EQ(Error("Update T Set A=1"),
            "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or "
            "'UPDATE'.");
  EXPECT_EQ(Error("Select * From "), "Syntax error in FROM clause.");
  EXPECT_EQ(Error("Select * From My Table"), "Syntax error in FROM clause.");
  EXPECT_EQ(Error("Select * From [Bad"), "Syntax error in FROM clause.");
  EXPECT_EQ(Error("Select Name From T"), "Syntax error in query. Incomplete query clause.");
  EXPECT_EQ(Error("Select * From T Where InStr(Name,'O'Brien')"),
            "Syntax error in string in query expression 'InStr(Name,'O'Brien')'.");
  EXPECT_EQ(Error("Select * From T Where InStr(Name,'x') = 0"),
            "Syntax error (missing operator) in query expression 'InStr(Name,'x') = 0'.");
  EXPECT_EQ(Error("Select * From T Where Name = 'x'"),
            "Syntax error (missing operator) in query expression 'Name = 'x''.");
  EXPECT_EQ(Error("Select * From T Where InStr(My Field,'x')"),
            "Syntax error (missing operator) in query expression 'InStr(My Field,'x')'.");
  EXPECT_EQ(Error("Select * From T Where InStr(?,'x')"),
            "No value given for one or more required parameters.");
  EXPECT_EQ(Error("Select * From T Where InStr(0,F,'x')"), "Invalid procedure call");
  EXPECT_EQ(Error("Select * From T Where"),
            "Syntax error (missing operator) in query expression ''.");
}

// Positions count UTF-16 units from 1. A filter reuses one matcher over
// every row, so each case is also asked of a matcher that has seen the
// texts before it.
TEST(InStr, PositionsInUtf16UnitsFromAnyStart) {
  struct Case {
    int64_t start;
    std::string text, pattern;
    int64_t expected;
  };
  const Case cases[] = {
      {1, "Hello World", "WORLD", 7},
      {1, "Привет МИР", "мир", 8},
      {1, "数据库ＡＢＣ", "ａｂｃ", 4},
      {1, "abcabc", "c", 3},
      {4, "abcabc", "c", 6},
      {7, "abcabc", "c", 0},
      {0, "abcabc", "c", 0},
      {1, "abc", "x", 0},
      {1, "😀a", "A", 3},  // a character beyond the basic plane is two units
      {2, "😀a😀A", "a", 3},
      {4, "😀a😀A", "a", 6},
      {2, "abc", "", 2},  // an empty pattern is found where the search starts
      {4, "abc", "", 0},
      {1, "", "", 0},
      {1, "ab\xff\xfe" "c", "\xfe" "C", 4},  // a stray byte is one unit
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InStrIgnoreCase(c.start, c.text, c.pattern), c.expected)
        << c.start << ", " << c.text << ", " << c.pattern;
    InStrMatcher reused(c.start, c.pattern);
    for (const Case& other : cases) reused.Find(other.text);
    EXPECT_EQ(reused.Find(c.text), c.expected) << c.start << ", " << c.text << ", " << c.pattern;
  }
}

TEST(InStr, EmptyTextsNullsAndOtherTypes) {
  InStrCondition c;
  c.field = "F";
  c.text = "";
  EXPECT_TRUE(InStrSelects(c, Variant(std::string("x"))));
  EXPECT_FALSE(InStrSelects(c, Variant(std::string(""))));
  EXPECT_FALSE(InStrSelects(c, Variant()));
  c.text = "x";
  EXPECT_FALSE(InStrSelects(c, Variant()));
  // Other types go through their text.
  c.text = "12";
  EXPECT_TRUE(InStrSelects(c, Variant(int64_t{3120})));
  EXPECT_FALSE(InStrSelects(c, Variant(int64_t{21})));
  c.text = ".5";
  EXPECT_TRUE(InStrSelects(c, Variant(2.5)));
  EXPECT_TRUE(InStrSelects(c, Variant(Currency{125000})));
  c.text = "-1";
  EXPECT_TRUE(InStrSelects(c, Variant(true)));
  EXPECT_FALSE(InStrSelects(c, Variant(false)));
  c.text = "2024/3/5";
  EXPECT_TRUE(InStrSelects(c, Variant(DateTime{text::EncodeDate(2024, 3, 5) + 0.5})));
  EXPECT_EQ(VariantToText(DateTime{text::EncodeDate(2024, 3, 5) + 0.5}), "2024/3/5 12:00:00");
  EXPECT_EQ(VariantToText(DateTime{0.25}), "6:00:00");
  EXPECT_EQ(VariantToText(1e20), "1E+20");
  EXPECT_EQ(VariantToText(-1.5e-7), "-1.5E-7");
  EXPECT_EQ(VariantToText(Currency{-1}), "-0.0001");
}

}  // namespace
}  // namespace provider
