// Index keys of the non-text column types: exact bytes for a few anchors,
// and the property every key must have — comparing keys byte by byte gives
// the index order.
#include "jet/keys/index_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

namespace jet::keys {
namespace {

Bytes Key(ColumnType type, Value v, bool asc = true, uint8_t scale = 0,
          JetVersion version = JetVersion::kJet4) {
  auto key =
      EncodeIndexKey({KeyPart{type, std::move(v), asc, scale}}, GeneralLegacyOrder(), version);
  EXPECT_TRUE(key.ok()) << key.status().ToString();
  return key.ok() ? *key : Bytes{};
}

TEST(IndexKey, AnchorsForEveryTypeAndRefusalsOfWhatCannotBeKeyed) {
  EXPECT_EQ(Key(ColumnType::kLong, int32_t{1}), (Bytes{0x7F, 0x80, 0, 0, 1}));
  EXPECT_EQ(Key(ColumnType::kLong, int32_t{1}, false), (Bytes{0x80, 0x7F, 0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(Key(ColumnType::kInteger, int16_t{-1}), (Bytes{0x7F, 0x7F, 0xFF}));
  EXPECT_EQ(Key(ColumnType::kByte, uint8_t{5}, false), (Bytes{0x80, 0xFA}));
  EXPECT_EQ(Key(ColumnType::kDouble, 1.0), (Bytes{0x7F, 0xBF, 0xF0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Key(ColumnType::kCurrency, Currency{10000}),
            (Bytes{0x7F, 0x80, 0, 0, 0, 0, 0, 0x27, 0x10}));
  // Nulls sort first ascending and last descending.
  for (ColumnType t : {ColumnType::kLong, ColumnType::kText, ColumnType::kGuid,
                       ColumnType::kNumeric, ColumnType::kDateTime}) {
    EXPECT_EQ(Key(t, std::monostate{}), Bytes{0x00});
    EXPECT_EQ(Key(t, std::monostate{}, false), Bytes{0xFF});
  }
  // Yes sorts before no, and null is no.
  EXPECT_EQ(Key(ColumnType::kBoolean, true), (Bytes{0x7F, 0x00}));
  EXPECT_EQ(Key(ColumnType::kBoolean, false), (Bytes{0x7F, 0xFF}));
  EXPECT_EQ(Key(ColumnType::kBoolean, std::monostate{}), (Bytes{0x7F, 0xFF}));
  EXPECT_EQ(Key(ColumnType::kBoolean, true, false), (Bytes{0x80, 0xFF}));
  // Binary goes in nine-byte segments.
  Bytes ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(Key(ColumnType::kBinary, ten),
            (Bytes{0x7F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 10, 0, 0, 0, 0, 0, 0, 2}));
  // Descending inverts all but the continuation marks.
  EXPECT_EQ(Key(ColumnType::kBinary, ten, false),
            (Bytes{0x80, 0xFE, 0xFD, 0xFC, 0xFB, 0xFA, 0xF9, 0xF8, 0xF7, 9, 0xF6, 0xF5, 0xFF, 0xFF,
                   0xFF, 0xFF, 0xFF, 0xFF, 0xFD}));
  EXPECT_EQ(Key(ColumnType::kBinary, Bytes{}), Bytes{0x7F});
  // GUID keys use the text order.
  Guid g;
  for (int i = 0; i < 16; ++i) g.bytes[i] = uint8_t(i);
  EXPECT_EQ(Key(ColumnType::kGuid, g),
            (Bytes{0x7F, 3, 2, 1, 0, 5, 4, 7, 6, 9, 8, 9, 10, 11, 12, 13, 14, 15, 8}));
  // Compound keys concatenate their parts.
  auto key = EncodeIndexKey({KeyPart{ColumnType::kLong, int32_t{2}, true},
                             KeyPart{ColumnType::kLong, std::monostate{}, false}},
                            GeneralLegacyOrder(), JetVersion::kJet4);
  ASSERT_TRUE(key.ok());
  EXPECT_EQ(*key, (Bytes{0x7F, 0x80, 0, 0, 2, 0xFF}));
  // What cannot be keyed is refused.
  auto run = [](KeyPart part) {
    return EncodeIndexKey({std::move(part)}, GeneralLegacyOrder(), JetVersion::kJet4).status();
  };
  Status wrong = run(KeyPart{ColumnType::kLong, std::string("7"), true});
  EXPECT_EQ(wrong.code(), Status::Code::kInvalidArgument);
  EXPECT_NE(wrong.message().find("index key column 1"), std::string::npos) << wrong.message();
  EXPECT_EQ(run(KeyPart{ColumnType::kOle, Bytes{1}, true}).code(), Status::Code::kNotSupported);
  EXPECT_EQ(EncodeIndexKey({}, GeneralLegacyOrder(), JetVersion::kJet4).status().code(),
            Status::Code::kInvalidArgument);
}

// Keys of increasing values must increase (ascending) or decrease (descending).
template <typename T, typename Make>
void ExpectOrdered(ColumnType type, std::vector<T> values, Make make, bool check_desc = true,
                   JetVersion version = JetVersion::kJet4) {
  std::sort(values.begin(), values.end());
  for (bool asc : {true, false}) {
    if (!asc && !check_desc) continue;
    for (size_t i = 1; i < values.size(); ++i) {
      if (make(values[i - 1]) == make(values[i])) continue;  // equal after narrowing
      Bytes a = Key(type, make(values[i - 1]), asc, 0, version);
      Bytes b = Key(type, make(values[i]), asc, 0, version);
      if (asc) {
        EXPECT_LT(a, b) << "type " << int(type) << " " << values[i - 1] << " vs " << values[i];
      } else {
        EXPECT_GT(a, b) << "type " << int(type) << " " << values[i - 1] << " vs " << values[i];
      }
    }
  }
}

TEST(IndexKey, KeyOrderFollowsValueOrder) {
  std::mt19937_64 rng(42);
  std::vector<int64_t> ints = {std::numeric_limits<int32_t>::min(), -1, 0, 1,
                               std::numeric_limits<int32_t>::max()};
  std::vector<double> reals = {-1e300, -2.5, -0.001, 0.0, 1e-300, 3.25, 1e300};
  for (int i = 0; i < 200; ++i) {
    ints.push_back(static_cast<int32_t>(rng()));
    reals.push_back(std::uniform_real_distribution<double>(-1e6, 1e6)(rng));
  }
  ExpectOrdered(ColumnType::kLong, ints, [](int64_t v) { return Value(int32_t(v)); });
  ExpectOrdered(ColumnType::kInteger, ints, [](int64_t v) { return Value(int16_t(v >> 16)); });
  ExpectOrdered(ColumnType::kCurrency, ints, [](int64_t v) { return Value(Currency{v * 7919}); });
  ExpectOrdered(ColumnType::kDouble, reals, [](double v) { return Value(v); });
  ExpectOrdered(ColumnType::kSingle, reals, [](double v) { return Value(float(v)); });
  ExpectOrdered(ColumnType::kDateTime, reals, [](double v) { return Value(DateTime{v}); });
}

Decimal Dec(int64_t v, uint8_t scale) {
  Decimal d;
  d.negative = v < 0;
  uint64_t m = v < 0 ? uint64_t(-v) : uint64_t(v);
  d.magnitude = {uint32_t(m), uint32_t(m >> 32), 0};
  d.scale = scale;
  return d;
}

TEST(IndexKey, NumericIsRescaledKeepsAccessOrderAndAceKeysFollowValueOrderBothWays) {
  // 1.5 in a scale-2 column is stored as 150.
  Bytes k = Key(ColumnType::kNumeric, Dec(15, 1), true, 2);
  ASSERT_EQ(k.size(), 18u);
  EXPECT_EQ(k[0], 0x7F);
  EXPECT_EQ(k[1], 0xFF);
  EXPECT_EQ(k[17], 150);
  EXPECT_EQ(Key(ColumnType::kNumeric, Dec(150, 2), true, 2), k);

  auto lost = EncodeIndexKey({KeyPart{ColumnType::kNumeric, Dec(155, 2), true, 1}},
                             GeneralLegacyOrder(), JetVersion::kJet4);
  EXPECT_EQ(lost.status().code(), Status::Code::kInvalidArgument);

  // Ascending: fully ordered. Descending (Jet 3/4): negatives still come
  // first, each sign reversed within itself.
  ExpectOrdered(
      ColumnType::kNumeric, std::vector<int64_t>{-900, -5, 0, 7, 12000},
      [](int64_t v) { return Value(Dec(v, 0)); }, /*check_desc=*/false);
  const Bytes pos = Key(ColumnType::kNumeric, Dec(7, 0), false);
  EXPECT_LT(Key(ColumnType::kNumeric, Dec(-5, 0), false), pos);
  EXPECT_LT(Key(ColumnType::kNumeric, Dec(70, 0), false), pos);
  // Access 2007 and later: decimals in value order both ways (sign byte FF
  // inverted with the rest), big integers and complex-column keys as integers.
  const std::vector<int64_t> values = {
      std::numeric_limits<int64_t>::min() + 1, -900, -5, 0, 7, 12000,
      std::numeric_limits<int64_t>::max()};
  ExpectOrdered(
      ColumnType::kNumeric, values, [](int64_t v) { return Value(Dec(v, 0)); }, true,
      JetVersion::kAce);
  ExpectOrdered(
      ColumnType::kBigInt, values, [](int64_t v) { return Value(v); }, true, JetVersion::kAce);
  EXPECT_EQ(Key(ColumnType::kNumeric, Dec(1, 0), true, 0, JetVersion::kAce),
            Key(ColumnType::kNumeric, Dec(1, 0), true, 0, JetVersion::kJet4));
  Bytes minus_one = Key(ColumnType::kNumeric, Dec(-1, 0), true, 0, JetVersion::kAce);
  EXPECT_EQ(minus_one[1], 0x00);
  EXPECT_EQ(minus_one[17], 0xFE);
  EXPECT_EQ(Key(ColumnType::kComplex, int32_t{3}, true, 0, JetVersion::kAce),
            Key(ColumnType::kLong, int32_t{3}));
}

}  // namespace
}  // namespace jet::keys
