// Text keys in the General sort orders. Exact bytes for the orders Access
// 2000-2007 and 97 write are checked against real files by the integrity
// check of every corpus file (jet_update_corpus_test); these cases pin down
// the rules every order shares.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "jet/keys/char_rules.h"
#include "jet/keys/index_key.h"
#include "tests/support/assert_ok.h"
#include "text/utf8.h"

namespace jet::keys {
namespace {

struct OrderCase {
  const char* name;
  SortOrder order;
  JetVersion version;
};

const OrderCase kOrders[] = {
    {"General97", SortOrder{1033, 0, 1252}, JetVersion::kJet3},
    {"GeneralLegacy", GeneralLegacyOrder(), JetVersion::kJet4},
    {"General", GeneralOrder(), JetVersion::kJet4},
};

Result<Bytes> TextKey(const OrderCase& o, const std::string& text, bool asc = true) {
  return EncodeIndexKey({KeyPart{ColumnType::kText, text, asc}}, o.order, o.version);
}

class TextKeyTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(TextKeyTest, CaseBlanksAccentsAlphabeticalOrderAndBrokenUtf8) {
  ASSERT_OK_AND_ASSIGN(auto lower, TextKey(GetParam(), "beijing road"));
  EXPECT_EQ(*TextKey(GetParam(), "BEIJING Road"), lower);
  EXPECT_EQ(*TextKey(GetParam(), "beijing road   "), lower);
  EXPECT_NE(*TextKey(GetParam(), " beijing road"), lower);
  // "e" < "é" < "f": the accent only breaks ties.
  Bytes e = *TextKey(GetParam(), "e"), acute = *TextKey(GetParam(), "\xC3\xA9");
  Bytes f = *TextKey(GetParam(), "f");
  EXPECT_LT(e, acute);
  EXPECT_LT(acute, f);
  // Broken UTF-8 is refused.
  auto key = TextKey(GetParam(), "ab\xE4\xB8");
  EXPECT_EQ(key.status().code(), Status::Code::kInvalidArgument);
  EXPECT_EQ(TextKey(GetParam(), "\xED\xA0\x80").status().code(), Status::Code::kInvalidArgument);
  // Letters and digits sort alphabetically.
  std::mt19937 rng(7);
  const std::string alphabet = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::vector<std::string> words;
  for (int i = 0; i < 300; ++i) {
    std::string w;
    int len = 1 + int(rng() % 8);
    for (int k = 0; k < len; ++k) w += alphabet[rng() % alphabet.size()];
    words.push_back(w);
  }
  std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
  for (size_t i = 1; i < words.size(); ++i) {
    for (bool asc : {true, false}) {
      Bytes a = *TextKey(GetParam(), words[i - 1], asc);
      Bytes b = *TextKey(GetParam(), words[i], asc);
      if (asc) {
        EXPECT_LT(a, b) << words[i - 1] << " < " << words[i];
      } else {
        EXPECT_GT(a, b) << words[i - 1] << " > " << words[i];
      }
    }
  }
}

TEST_P(TextKeyTest, DescendingInvertsTheAscendingKeyAndOnlyTheFirst255CharactersCount) {
  for (std::string s : {"", "Zhang San", "\xC3\x85ngstr\xC3\xB6m", "a-b"}) {
    Bytes asc = *TextKey(GetParam(), s), desc = *TextKey(GetParam(), s, false);
    ASSERT_GE(desc.size(), asc.size()) << s;
    EXPECT_EQ(desc[0], 0x80);
    for (size_t i = 1; i + 1 < asc.size(); ++i) EXPECT_EQ(desc[i], uint8_t(~asc[i])) << s;
  }
  if (GetParam().order == GeneralOrder()) {
    // 255 letters make a key longer than this order is known for.
    EXPECT_EQ(TextKey(GetParam(), std::string(300, 'q')).status().code(),
              Status::Code::kNotSupported);
    return;
  }
  std::string base(255, 'q');
  EXPECT_EQ(*TextKey(GetParam(), base + "abc"), *TextKey(GetParam(), base + "xyz"));
  EXPECT_NE(*TextKey(GetParam(), base.substr(1) + "a"), *TextKey(GetParam(), base.substr(1) + "b"));
}

INSTANTIATE_TEST_SUITE_P(Orders, TextKeyTest, ::testing::ValuesIn(kOrders),
                         [](const auto& info) { return std::string(info.param.name); });

const OrderCase& Legacy() { return kOrders[1]; }
const OrderCase& Current() { return kOrders[2]; }

TEST(TextKey, ChineseAndAstralTextHaveKeysAndTheBuiltInTablesExpandCompletely) {
  for (const OrderCase* o : {&Legacy(), &Current()}) {
    auto bj = TextKey(*o, "北京市朝阳区"), sh = TextKey(*o, "上海市");
    ASSERT_TRUE(bj.ok() && sh.ok()) << o->name;
    EXPECT_NE(*bj, *sh);
    // Every one of the six characters adds inline bytes before the 01 end mark.
    EXPECT_GE(bj->size(), 1u + 6 * 2 + 2) << o->name;
    // Mixed with Latin text and full-width forms.
    EXPECT_TRUE(TextKey(*o, "客户 Beijing ＢＥＩＪＩＮＧ 123").ok()) << o->name;
  }
  // The two orders are different orders.
  EXPECT_NE(*TextKey(Legacy(), "北京"), *TextKey(Current(), "北京"));
  // U+1F600 is D83D DE00 in UTF-16; both halves get inline codes and an
  // accent code of 3F.
  ASSERT_OK_AND_ASSIGN(auto key, TextKey(Legacy(), "\xF0\x9F\x98\x80"));
  EXPECT_EQ(key, (Bytes{0x7F, 0xB0, 0x3F, 0xB6, 0xFC, 0x01, 0x3F, 0x3F, 0x00}));
  // The built-in tables expand completely.
  ASSERT_OK_AND_ASSIGN(auto general, GeneralRules());
  ASSERT_OK_AND_ASSIGN(auto legacy, GeneralLegacyRules());
  ASSERT_OK_AND_ASSIGN(auto old, General97Rules());
  EXPECT_EQ(general->rules.size(), 0x10000u);
  EXPECT_EQ(legacy->rules.size(), 0x10000u);
  EXPECT_EQ(old->rules.size(), 0x100u);
  EXPECT_EQ(old->MapToPosition(0x20AC), 0x80);  // euro sign
  EXPECT_EQ(legacy->rules[0xD800].kind, RuleKind::kSurrogate);
  // CJK ideographs are plain characters in both orders.
  EXPECT_EQ(legacy->rules[0x4E2D].kind, RuleKind::kSimple);
  EXPECT_EQ(general->rules[0x4E2D].kind, RuleKind::kSimple);
}

TEST(TextKey, LongKeysUnstorableCharactersAndUnknownSortOrdersAreRefused) {
  // 200 ideographs: about 800 inline bytes in the Access 2010+ order, whose
  // long entries Access shortens in an unknown way, and 400 in the legacy one.
  std::string long_chinese;
  for (int i = 0; i < 200; ++i) long_chinese += "\xE5\x8C\x97";  // 北
  auto current = TextKey(Current(), long_chinese);
  EXPECT_EQ(current.status().code(), Status::Code::kNotSupported);
  EXPECT_NE(current.status().message().find("version 1"), std::string::npos)
      << current.status().message();
  EXPECT_TRUE(TextKey(Current(), long_chinese.substr(0, 3 * 100)).ok());
  EXPECT_TRUE(TextKey(Legacy(), long_chinese).ok());
  // Access 97 refuses characters code page 1252 cannot store.
  const OrderCase& jet3 = kOrders[0];
  auto key = TextKey(jet3, "Peking 北京");
  ASSERT_EQ(key.status().code(), Status::Code::kInvalidArgument);
  EXPECT_NE(key.status().message().find("U+5317"), std::string::npos) << key.status().message();
  // Characters 1252 keeps above U+00FF are fine: the euro sign and curly quotes.
  EXPECT_TRUE(TextKey(jet3, "\xE2\x82\xAC 5 \xE2\x80\x9Cquoted\xE2\x80\x9D").ok());
  // Unknown sort orders fail, naming the order.
  auto key_in = [](SortOrder order, JetVersion version, Value text) {
    return EncodeIndexKey({KeyPart{ColumnType::kText, text, true}}, order, version);
  };
  const SortOrder chinese{2052, 0, 936};
  auto bad = key_in(chinese, JetVersion::kJet4, std::string("x"));
  ASSERT_EQ(bad.status().code(), Status::Code::kNotSupported);
  EXPECT_NE(bad.status().message().find("2052"), std::string::npos) << bad.status().message();
  EXPECT_EQ(key_in({1033, 2, 1252}, JetVersion::kJet4, std::string("x")).status().code(),
            Status::Code::kNotSupported);
  // Jet 3 General text in another code page has other rules.
  EXPECT_EQ(key_in({1033, 0, 936}, JetVersion::kJet3, std::string("x")).status().code(),
            Status::Code::kNotSupported);
  // NULL text needs no rules at all.
  EXPECT_TRUE(key_in(chinese, JetVersion::kJet4, std::monostate{}).ok());
}

// Any text at all — every plane, controls, lone combining marks — either gets
// a key whose descending form inverts the ascending one, or a clean failure.
TEST(TextKey, ArbitraryTextNeverBreaksTheEncoder) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int len = int(rng() % 40);
    for (int i = 0; i < len; ++i) {
      uint32_t cp = rng() % 4 == 0 ? rng() % 0x110000 : rng() % 0x3100;
      if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0x20;
      text::AppendUtf8(cp, &text);
    }
    for (const OrderCase& o : kOrders) {
      auto asc = TextKey(o, text), desc = TextKey(o, text, false);
      ASSERT_EQ(asc.ok(), desc.ok());
      if (!asc.ok()) {
        EXPECT_NE(asc.status().code(), Status::Code::kCorruption);
        continue;
      }
      ASSERT_LE(asc->size(), desc->size());
      for (size_t i = 1; i + 1 < asc->size(); ++i) ASSERT_EQ((*desc)[i], uint8_t(~(*asc)[i]));
    }
  }
}

}  // namespace
}  // namespace jet::keys
