// The text forms the command line prints: numbers without exponent or
// trailing zeros, exact currency and decimals, dates, hex, GUIDs, CSV quoting.
#include "jet/value_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>

namespace jet {
namespace {

TEST(ValueTextTest, FloatingValuesArePlainDecimalsRoundedTo15DigitsLikePrintf) {
  struct Case {
    double value;
    int digits;
    const char* expected;
  };
  const Case cases[] = {
      {12.5, 15, "12.5"},
      {-3, 15, "-3"},
      {0.0001, 15, "0.0001"},
      {0, 15, "0"},
      {-0.0, 15, "0"},
      {1e20, 15, "100000000000000000000"},
      {1.5e-10, 15, "0.00000000015"},
      {0.1 + 0.2, 15, "0.3"},
      {1234567.891, 7, "1234568"},
      {3.14159274101257, 7, "3.141593"},
      {123456789012345678.0, 15, "123456789012346000"},
      {-2.5e-5, 15, "-0.000025"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatFloating(c.value, c.digits), c.expected) << c.value;
  }
  EXPECT_EQ(FormatValue(Value(1.1f)), "1.1");  // a single printed with 7 digits
  EXPECT_EQ(FormatValue(Value(1.1)), "1.1");
  // Doubles take a shortcut when their shortest form has at most 15 digits.
  // Where printf's "%.15g" writes no exponent the two forms agree, so it checks
  // both ways on values with few digits (amounts) and with all 17.
  uint64_t seed = 99;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    const double amount = static_cast<double>(static_cast<int64_t>(seed >> 20) % 100000000) / 100;
    const double any = std::ldexp(static_cast<double>(seed >> 11), -static_cast<int>(seed % 60));
    for (double v : {amount, -amount, any, amount + 0.1, 1 / (amount + 1)}) {
      if (std::fabs(v) < 1e-4 || std::fabs(v) >= 1e15) continue;
      char expected[64];
      std::snprintf(expected, sizeof expected, "%.15g", v);
      ASSERT_EQ(FormatFloating(v, 15), expected) << i;
    }
  }
}

TEST(ValueTextTest, ExactTypesDatesAndCsvQuoting) {
  auto dec = [](bool negative, uint8_t scale, std::array<uint32_t, 3> magnitude) {
    Decimal d;
    d.negative = negative;
    d.scale = scale;
    d.magnitude = magnitude;
    return Value(d);
  };
  const std::pair<Value, const char*> cases[] = {
      {Value(Currency{125000}), "12.5"},
      {Value(Currency{-5}), "-0.0005"},
      {Value(Currency{INT64_MIN}), "-922337203685477.5808"},
      {dec(false, 3, {12000, 0, 0}), "12"},
      {dec(true, 3, {5, 0, 0}), "-0.005"},
      {dec(false, 0, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}), "79228162514264337593543950335"},
      {dec(true, 0, {0, 0, 0}), "0"},  // no negative zero
      {Value(true), "1"},
      {Value(false), "0"},
      {Value(uint8_t{255}), "255"},
      {Value(int16_t{-32768}), "-32768"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatValue(value), text);
  // CSV quotes text and GUIDs only.
  Guid g;
  const uint8_t raw[16] = {0x6A, 0x27, 0x39, 0x8E, 0xA8, 0xBC, 0xC4, 0x4A,
                           0x89, 0x1E, 0x49, 0x91, 0x1D, 0x84, 0x38, 0xDD};
  std::copy(raw, raw + 16, g.bytes.begin());
  EXPECT_EQ(CsvField(Value(g)), "\"{8E39276A-BCA8-4AC4-891E-49911D8438DD}\"");
  EXPECT_EQ(CsvField(Value(std::string("say \"hi\", ok"))), "\"say \"\"hi\"\", ok\"");
  EXPECT_EQ(CsvField(Value(std::string())), "\"\"");
  EXPECT_EQ(CsvField(Value()), "");
  EXPECT_EQ(CsvField(Value(Bytes{0x00, 0xAB, 0x0F})), "00ab0f");
  EXPECT_EQ(CsvField(Value(12.5)), "12.5");
  EXPECT_EQ(CsvName("plain"), "plain");
  EXPECT_EQ(CsvName("a,b"), "\"a,b\"");
  // Dates round to the second across the epoch.
  EXPECT_EQ(FormatDateTime(0), "1899-12-30 00:00:00");
  EXPECT_EQ(FormatDateTime(38135.740623275466), "2004-05-28 17:46:30");
  EXPECT_EQ(FormatDateTime(2.5), "1900-01-01 12:00:00");
  EXPECT_EQ(FormatDateTime(-1.25), "1899-12-29 06:00:00");  // time counts forward
  EXPECT_EQ(FormatDateTime(2958465.999988426), "9999-12-31 23:59:59");
  EXPECT_EQ(FormatDateTime(-657434), "0100-01-01 00:00:00");
  EXPECT_EQ(FormatDateTime(0.99999999), "1899-12-31 00:00:00");
  EXPECT_EQ(FormatDateTime(1e300), "1" + std::string(300, '0'));  // no calendar there
  EXPECT_EQ(FormatDateTime(NAN), "NaN");
  // The export's digit-by-digit form agrees with the formatted one
  // everywhere, years before 0 and beyond 9999 included.
  for (double days = -3.1e6; days < 3.1e6; days += 1234.567891) {
    std::string appended = "x";
    AppendDateTime(days, &appended);
    ASSERT_EQ(appended, "x" + FormatDateTime(days)) << days;
  }
}

}  // namespace
}  // namespace jet
