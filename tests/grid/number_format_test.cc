#include "grid/columns/number_format.h"

#include <gtest/gtest.h>

#include "data/provider/variant.h"

namespace grid {
namespace {

struct FloatCase {
  double value;
  int precision;
  const char* expected;
};

class GeneralFloatTest : public ::testing::TestWithParam<FloatCase> {};

TEST_P(GeneralFloatTest, Formats) {
  EXPECT_EQ(FormatGeneralFloat(GetParam().value, GetParam().precision), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, GeneralFloatTest,
                         ::testing::Values(FloatCase{0, 15, "0"}, FloatCase{1.5, 15, "1.5"},
                                           FloatCase{-2.25, 15, "-2.25"}, FloatCase{3, 15, "3"},
                                           FloatCase{0.1 + 0.2, 15, "0.3"},
                                           FloatCase{0.0001, 15, "0.0001"},
                                           FloatCase{0.00005, 15, "5E-5"},
                                           FloatCase{1e20, 15, "1E20"},
                                           FloatCase{1.5e-7, 15, "1.5E-7"},
                                           FloatCase{123456789012345.0, 15, "123456789012345"},
                                           FloatCase{1234567890123456.0, 15, "1.23456789012346E15"},
                                           FloatCase{1.6667, 15, "1.6667"}, FloatCase{2.6, 1, "3"},
                                           FloatCase{1234.5, 3, "1.23E3"}));

TEST(FixedGeneralTest, DropsTrailingZeros) {
  EXPECT_EQ(FormatFixedGeneral(125000), "12.5");
  EXPECT_EQ(FormatFixedGeneral(20000), "2");
  EXPECT_EQ(FormatFixedGeneral(-1), "-0.0001");
  EXPECT_EQ(FormatFixedGeneral(0), "0");
  EXPECT_EQ(FormatFixedGeneral(INT64_MIN), "-922337203685477.5808");
  EXPECT_EQ(FormatFixedGeneral(125000, ','), "12,5");
}

struct PatternCase {
  const char* pattern;
  double value;
  const char* expected;
};

class PatternTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(PatternTest, Formats) {
  EXPECT_EQ(FormatFloatPattern(GetParam().pattern, GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PatternTest,
    ::testing::Values(PatternCase{"0.00", 1.5, "1.50"}, PatternCase{"0.00", -1.5, "-1.50"},
                      PatternCase{"#,##0.00", 1234567.891, "1,234,567.89"},
                      PatternCase{"#,##0", 999, "999"}, PatternCase{"#.##", 0.5, ".5"},
                      PatternCase{"0.##", 2, "2"}, PatternCase{"000", 7, "007"},
                      PatternCase{"0", 12345, "12345"}, PatternCase{"0.0 'kg'", 3.25, "3.3 kg"},
                      PatternCase{"0.00", 1.005, "1.01"}, PatternCase{"\"$\"0.00", 4, "$4.00"},
                      PatternCase{"0.00;(0.00)", -2, "(2.00)"},
                      PatternCase{"0.00;(0.00);'zero'", 0.001, "zero"},
                      PatternCase{"0.0", -0.01, "0.0"}, PatternCase{"", 2.5, "2.5"}));

TEST(DateTimePatternTest, FormatsParts) {
  double when = provider::EncodeDate(2026, 3, 7) + provider::EncodeTime(14, 5, 9, 0);
  EXPECT_EQ(FormatDateTimePattern("yyyy-mm-dd hh:nn:ss", when), "2026-03-07 14:05:09");
  EXPECT_EQ(FormatDateTimePattern("yyyy/m/d h:mm", when, '.', '-'), "2026.3.7 14-05");
  EXPECT_EQ(FormatDateTimePattern("yy 'at' h am/pm", when), "26 at 2 pm");
}

}  // namespace
}  // namespace grid
