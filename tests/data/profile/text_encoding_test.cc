#include "data/profile/text_encoding.h"

#include <gtest/gtest.h>

namespace data::profile {
namespace {

TEST(TextEncodingTest, Utf8CheckPrefixesAndGb18030RoundTrip) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain ascii"));
  EXPECT_TRUE(IsValidUtf8("数据库 \xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xCA\xFD\xBE\xDD"));  // "数据" in GBK
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xE6\x95"));          // cut sequence
  // A prefix never cuts a character.
  const std::string text = "ab数据";  // 2 + 3 + 3 bytes
  EXPECT_EQ(Utf8PrefixLength(text, 100), 8u);
  EXPECT_EQ(Utf8PrefixLength(text, 8), 8u);
  EXPECT_EQ(Utf8PrefixLength(text, 7), 5u);
  EXPECT_EQ(Utf8PrefixLength(text, 5), 5u);
  EXPECT_EQ(Utf8PrefixLength(text, 4), 2u);
  EXPECT_EQ(Utf8PrefixLength(text, 0), 0u);
  // Stray bytes count as one-byte characters so that a cut is always possible.
  EXPECT_EQ(Utf8PrefixLength("\xFF\xFF\xFF", 2), 2u);
  // GB18030 round trip.
  EXPECT_EQ(Gb18030ToUtf8("\xCA\xFD\xBE\xDD\xBF\xE2"), "数据库");
  EXPECT_EQ(Utf8ToGb18030("数据库"), "\xCA\xFD\xBE\xDD\xBF\xE2");
  EXPECT_EQ(Gb18030ToUtf8("\xCA"), std::nullopt);  // lead byte without its trail
  EXPECT_EQ(Utf8ToGb18030("\xCA\xFD"), std::nullopt);
}

}  // namespace
}  // namespace data::profile
