// The one value encoder behind new rows and updated rows: what text it
// compresses, how it stores NULLs, and that a row written by the creating
// code and the same values written by an update come out byte for byte alike.
#include <gtest/gtest.h>

#include "jet/alloc/data_page.h"
#include "jet/create/database_builder.h"
#include "jet/create/row_encoder.h"
#include "jet/create/table_layout.h"
#include "jet/format.h"
#include "jet/update/value_encoder.h"
#include "jet/update/writable_database.h"
#include "update_test_util.h"

namespace jet::testing {
namespace {

ColumnDef TextColumnDef(ColumnType type, bool compressed, uint16_t chars = 255) {
  ColumnDef c;
  c.name = "c";
  c.type = type;
  c.compressed_unicode = compressed;
  c.max_chars = type == ColumnType::kText ? chars : 0;
  c.size = static_cast<uint16_t>(type == ColumnType::kText ? chars * 2 : 0);
  return c;
}

Bytes Encoded(const ColumnDef& c, const Value& v) {
  static const TextEncoder kJet4(true, 0);
  auto e = EncodeValue(c, v, kJet4, "T");
  EXPECT_TRUE(e.ok()) << e.status().ToString();
  return e.ok() ? e->bytes : Bytes{};
}

Bytes Wide(const std::string& ascii) {
  Bytes b;
  for (char ch : ascii) b.insert(b.end(), {static_cast<uint8_t>(ch), 0});
  return b;
}

TEST(ValueEncoder, CompressesTextOnlyWhenThatIsShorterAndKeepsNullsAndLimits) {
  const ColumnDef text = TextColumnDef(ColumnType::kText, true);
  EXPECT_EQ(Encoded(text, std::string("ab")), Wide("ab"));  // FF FE would make it longer
  EXPECT_EQ(Encoded(text, std::string("abc")), (Bytes{0xFF, 0xFE, 'a', 'b', 'c'}));
  EXPECT_EQ(Encoded(text, std::string("\xC3\xA9t\xC3\xA9")), (Bytes{0xFF, 0xFE, 0xE9, 't', 0xE9}));
  EXPECT_EQ(Encoded(text, std::string("北京市")), (Bytes{0x17, 0x53, 0xAC, 0x4E, 0x02, 0x5E}));
  EXPECT_EQ(Encoded(text, std::string("")), Bytes{});
  EXPECT_EQ(Encoded(TextColumnDef(ColumnType::kText, false), std::string("abc")), Wide("abc"));
  // A character outside the Basic Multilingual Plane takes two units.
  EXPECT_EQ(Encoded(text, std::string("a\xF0\x9F\x98\x80")),
            (Bytes{'a', 0, 0x3D, 0xD8, 0x00, 0xDE}));
  const ColumnDef memo = TextColumnDef(ColumnType::kMemo, true);
  EXPECT_EQ(Encoded(memo, std::string(1024, 'x')).size(), 1026u);
  EXPECT_EQ(Encoded(memo, std::string(1025, 'x')).size(), 2050u);  // long memos stay wide
  // NULLs and limits.
  static const TextEncoder kJet4(true, 0);
  ColumnDef tiny = TextColumnDef(ColumnType::kText, true, 3);
  ASSERT_OK_AND_ASSIGN(auto null, EncodeValue(tiny, Value(), kJet4, "T"));
  EXPECT_TRUE(null.null);
  ColumnDef flag = TextColumnDef(ColumnType::kBoolean, false);
  ASSERT_OK_AND_ASSIGN(auto no, EncodeValue(flag, Value(), kJet4, "T"));
  EXPECT_FALSE(no.null);  // a yes/no NULL is stored as No
  EXPECT_FALSE(no.bit);
  tiny.required = true;
  EXPECT_EQ(EncodeValue(tiny, Value(), kJet4, "T").status().code(), Status::Code::kConstraint);
  auto too_long = EncodeValue(tiny, std::string("abcd"), kJet4, "T: row 7");
  EXPECT_EQ(too_long.status().code(), Status::Code::kInvalidArgument);
  EXPECT_NE(too_long.status().message().find("T: row 7: column 'c'"), std::string::npos);
  EXPECT_TRUE(EncodeValue(tiny, std::string("北京市"), kJet4, "T").ok());  // characters, not bytes
  // Bytes that are not UTF-8 are refused, never stored as replacement marks.
  auto gbk = EncodeValue(tiny, std::string("\xC4\xE3"), kJet4, "T: row 2");
  EXPECT_EQ(gbk.status().code(), Status::Code::kInvalidArgument);
  EXPECT_NE(gbk.status().message().find("row 2"), std::string::npos) << gbk.status().ToString();
}

// The stored bytes of row `id` (the file's own, rows here never move).
Bytes RowBytes(const std::string& path, RowId id) {
  std::vector<uint8_t> file = ReadFileBytes(path);
  const size_t page = 4096;
  EXPECT_LE((id.page + 1) * page, file.size());
  std::vector<PageSlot> slots;
  Status s = ReadDataPageSlots(Jet4Format(), ByteView{file.data() + id.page * page, page}, id.page,
                               &slots);
  EXPECT_TRUE(s.ok()) << s.ToString();
  if (!s.ok() || id.slot >= slots.size()) return {};
  EXPECT_EQ(slots[id.slot].flags, 0);
  return slots[id.slot].bytes;
}

create::ColumnSpec Col(const char* name, ColumnType type, uint16_t length = 255,
                       bool compressed = true) {
  create::ColumnSpec c;
  c.name = name;
  c.type = type;
  c.max_length = length;
  c.compressed = compressed;
  if (type == ColumnType::kNumeric) {
    c.precision = 18;
    c.scale = 4;
  }
  return c;
}

// Every type, with values that exercise compression, NULLs and the fixed and
// variable parts of a row.
TEST(ValueEncoder, NewRowsAndUpdatedRowsAreBuiltAlike) {
  using T = ColumnType;
  create::TableSpec spec{
      "All",
      {Col("Byte", T::kByte), Col("Int", T::kInteger), Col("Long", T::kLong),
       Col("Single", T::kSingle), Col("Double", T::kDouble), Col("Money", T::kCurrency),
       Col("Dec", T::kNumeric), Col("When", T::kDateTime), Col("Flag", T::kBoolean),
       Col("Guid", T::kGuid), Col("Bin", T::kBinary, 16), Col("Text", T::kText, 50),
       Col("Wide", T::kText, 50, false), Col("Memo", T::kMemo), Col("Ole", T::kOle)},
      {}};
  Decimal dec;
  dec.scale = 4;
  dec.negative = true;
  dec.magnitude = {123456789, 7, 0};
  Guid guid;
  for (size_t i = 0; i < 16; ++i) guid.bytes[i] = static_cast<uint8_t>(i * 17);
  const std::vector<Value> a = {uint8_t{200},
                                int16_t{-3},
                                int32_t{1 << 30},
                                1.5f,
                                -2.25,
                                Currency{-123456},
                                dec,
                                DateTime{45000.75},
                                true,
                                guid,
                                Bytes{1, 0, 2},
                                std::string("Beijing 北京"),
                                std::string("abc"),
                                std::string("a memo short enough to stay in the row"),
                                Bytes(40, 0xAB)};
  const std::vector<Value> b = {uint8_t{0},
                                Value(),
                                int32_t{-1},
                                Value(),
                                -0.0,
                                Value(),
                                Value(),
                                Value(),
                                false,
                                Value(),
                                Bytes{},
                                std::string("ab"),
                                std::string(""),
                                std::string("éèà"),
                                Bytes{}};
  std::vector<Value> none_values(a.size());
  none_values[8] = false;
  const std::vector<Value>& none = none_values;

  TempDir dir;
  const std::string path = dir.File("all.mdb");
  {
    ASSERT_OK_AND_ASSIGN(auto builder, create::DatabaseBuilder::New({}));
    ASSERT_TRUE(builder->CreateTable(spec).ok());
    Status s = builder->InsertRows("All", {a, b, none});
    ASSERT_TRUE(s.ok()) << s.ToString();
    ASSERT_TRUE(builder->Save(path).ok());
  }
  std::vector<RowId> ids;
  tarnquill::testing::ReadTable(path, "All", "", &ids);
  ASSERT_EQ(ids.size(), 3u);
  const Bytes created_a = RowBytes(path, ids[0]);
  const Bytes created_b = RowBytes(path, ids[1]);
  const Bytes created_none = RowBytes(path, ids[2]);
  ASSERT_FALSE(created_a.empty());

  auto changes = [](const std::vector<Value>& values) {
    std::vector<std::pair<size_t, Value>> out;
    for (size_t i = 0; i < values.size(); ++i) out.emplace_back(i, values[i]);
    return out;
  };
  {
    ASSERT_OK_AND_ASSIGN(auto db, OpenDatabaseForUpdate(path, {}));
    ASSERT_OK_AND_ASSIGN(auto def, db->FindTable("All"));
    // Each row takes the values another row was created with.
    for (auto [row, values] : {std::pair{0, &b}, std::pair{1, &none}, std::pair{2, &a}}) {
      Status s = db->UpdateRow(def, ids[row], changes(*values));
      ASSERT_TRUE(s.ok()) << s.ToString();
    }
  }
  EXPECT_EQ(RowBytes(path, ids[0]), created_b);
  EXPECT_EQ(RowBytes(path, ids[1]), created_none);
  EXPECT_EQ(RowBytes(path, ids[2]), created_a);
}

}  // namespace
}  // namespace jet::testing
