// Row splitting on hand-built rows: null mask, fixed area, variable offsets
// (with Jet 3's jump table), rows older than their table's definition, and
// rows whose offsets are damaged.
#include "jet/row_layout.h"

#include <gtest/gtest.h>

#include "tests/jet/row_builder.h"

namespace jet {
namespace {

using testing::BuildRow3;
using testing::BuildRow4;
using testing::RowParts;

ColumnDef Fixed(const std::string& name, ColumnType type, uint16_t number, uint16_t offset) {
  ColumnDef c;
  c.name = name;
  c.type = type;
  c.number = number;
  c.fixed = true;
  c.fixed_offset = offset;
  c.size = static_cast<uint16_t>(FixedSize(type));
  return c;
}

ColumnDef Var(const std::string& name, uint16_t number, uint16_t var_index) {
  ColumnDef c;
  c.name = name;
  c.type = ColumnType::kText;
  c.number = number;
  c.var_index = var_index;
  return c;
}

// id (long), flag (yes/no), a (text), b (text)
TableDef SampleTable() {
  TableDef t;
  t.name = "T";
  t.columns = {Fixed("id", ColumnType::kLong, 0, 0), Fixed("flag", ColumnType::kBoolean, 1, 0),
               Var("a", 2, 0), Var("b", 3, 1)};
  t.var_column_count = 2;
  return t;
}

std::vector<uint8_t> Text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::string SliceText(const std::vector<uint8_t>& row, const ColumnSlice& s) {
  return std::string(row.begin() + static_cast<long>(s.offset),
                     row.begin() + static_cast<long>(s.offset + s.length));
}

TEST(RowLayoutTest, SplitsJet4AndJet3RowsAlikeWithClearBitsAndNewerColumnsNull) {
  RowParts parts;
  parts.column_count = 4;
  parts.fixed = {0x2A, 0, 0, 0};
  parts.vars = {Text("hello"), Text("")};
  parts.set_bits = {0, 1, 2, 3};
  for (int version : {3, 4}) {
    SCOPED_TRACE(version);
    const Format& f = version == 3 ? Jet3Format() : Jet4Format();
    auto row = version == 3 ? BuildRow3(parts) : BuildRow4(parts);
    std::vector<ColumnSlice> out;
    ASSERT_TRUE(CrackRow(f, SampleTable(), ByteView{row.data(), row.size()}, "r", &out).ok());
    ASSERT_EQ(out.size(), 4u);
    EXPECT_TRUE(out[0].present);
    EXPECT_EQ(row[out[0].offset], 0x2A);
    EXPECT_TRUE(out[1].bit);  // yes/no lives in the mask
    EXPECT_EQ(SliceText(row, out[2]), "hello");
    EXPECT_TRUE(out[3].present);  // an empty text is not NULL
    EXPECT_EQ(out[3].length, 0u);
  }
  // Clear bits and columns newer than the row are NULL.
  parts = RowParts{};
  parts.column_count = 3;  // written before column 3 ("b") existed
  parts.fixed = {1, 0, 0, 0};
  parts.vars = {Text("x")};
  parts.set_bits = {2};  // id is NULL, flag is false
  auto row = BuildRow4(parts);
  std::vector<ColumnSlice> out;
  ASSERT_TRUE(
      CrackRow(Jet4Format(), SampleTable(), ByteView{row.data(), row.size()}, "r", &out).ok());
  EXPECT_FALSE(out[0].present);
  EXPECT_FALSE(out[1].bit);
  EXPECT_EQ(SliceText(row, out[2]), "x");
  EXPECT_FALSE(out[3].present);
}

// Jet 3 rows longer than 256 bytes carry a jump table: its entries move
// offsets past each 256-byte step, and an entry no offset needs is ignored.
TEST(RowLayoutTest, Jet3JumpTable) {
  TableDef four;
  four.var_column_count = 4;
  for (uint16_t i = 0; i < 4; ++i) four.columns.push_back(Var("v" + std::to_string(i), i, i));
  using B = std::vector<uint8_t>;
  const struct {
    const char* what;
    TableDef table;
    RowParts parts;
  } cases[] = {
      {"offsets past 256",
       four,
       {4, {}, {B(200, 'a'), B(200, 'b'), B(10, 'c'), B(300, 'd')}, {0, 1, 2, 3}}},
      {"unused entry", SampleTable(), {200, B(4, 7), {Text("abc"), B(240, 'z')}, {0, 2, 3}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto row = BuildRow3(c.parts);
    ASSERT_GT(row.size(), 256u);
    std::vector<ColumnSlice> out;
    Status s = CrackRow(Jet3Format(), c.table, ByteView{row.data(), row.size()}, "r", &out);
    ASSERT_TRUE(s.ok()) << s.ToString();
    for (size_t k = 0; k < c.table.columns.size(); ++k) {
      const ColumnDef& col = c.table.columns[k];
      if (col.fixed) continue;
      const B& want = *c.parts.vars[col.var_index];
      EXPECT_EQ(SliceText(row, out[k]), std::string(want.begin(), want.end())) << col.name;
    }
  }
}

TEST(RowLayoutTest, DamagedRowsFailCleanly) {
  RowParts parts;
  parts.column_count = 4;
  parts.fixed = {1, 0, 0, 0};
  parts.vars = {Text("hello"), Text("x")};
  parts.set_bits = {0, 2, 3};
  auto good = BuildRow4(parts);
  const TableDef t = SampleTable();
  std::vector<ColumnSlice> out;

  struct Case {
    const char* what;
    std::vector<uint8_t> row;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"column count larger than the row", {0xFF, 0x7F, 0, 0}});
  auto offset_past = good;
  offset_past[good.size() - 1 - 2 - 2] = 0xFF;  // entry 0 of the offset table, high byte
  cases.push_back({"variable offset past the row", offset_past});
  auto huge_count = good;
  huge_count[good.size() - 1 - 2] = 0xFF;  // variable column count
  huge_count[good.size() - 1 - 1] = 0xFF;
  cases.push_back({"variable count larger than the row", huge_count});
  auto fixed_past = good;
  TableDef wide = t;
  wide.columns[0].fixed_offset = 200;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Status s =
        CrackRow(Jet4Format(), t, ByteView{c.row.data(), c.row.size()}, "f: page 1: row 0", &out);
    EXPECT_TRUE(s.IsCorruption());
    EXPECT_NE(s.message().find("f: page 1: row 0"), std::string::npos);
  }
  EXPECT_TRUE(
      CrackRow(Jet4Format(), wide, ByteView{fixed_past.data(), fixed_past.size()}, "r", &out)
          .IsCorruption());
}

}  // namespace
}  // namespace jet
