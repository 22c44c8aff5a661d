// Rows taken apart and put back together: every length around the 256-byte
// steps of Jet 3's jump table, deleted columns' bytes kept, columns the row
// predates added.
#include <gtest/gtest.h>

#include "jet/row_layout.h"
#include "jet/update/raw_row.h"

namespace jet {
namespace {

TableDef ThreeVarColumns() {
  TableDef t;
  t.name = "T";
  t.var_column_count = 3;
  ColumnDef id{.name = "id", .type = ColumnType::kLong, .number = 0, .fixed = true};
  ColumnDef a{.name = "a", .type = ColumnType::kText, .number = 1, .var_index = 0};
  ColumnDef b{.name = "b", .type = ColumnType::kText, .number = 2, .var_index = 1};
  ColumnDef c{.name = "c", .type = ColumnType::kBinary, .number = 3, .var_index = 2};
  t.columns = {id, a, b, c};
  return t;
}

TEST(RawRowTest, Jet3RowsOfEveryLengthAroundTheJumpStepsReadBack) {
  const Format& f = Jet3Format();
  TableDef t = ThreeVarColumns();
  for (size_t a = 0; a < 255; a += 1) {
    for (size_t b : {0u, 1u, 200u, 255u}) {
      RawRow row;
      row.var_table = true;
      SetRawColumn(t.columns[0], std::vector<uint8_t>{1, 2, 3, 4}, true, &row);
      SetRawColumn(t.columns[1], std::vector<uint8_t>(a, 'a'), true, &row);
      SetRawColumn(t.columns[2], std::vector<uint8_t>(b, 'b'), true, &row);
      SetRawColumn(t.columns[3], std::nullopt, false, &row);
      std::vector<uint8_t> bytes = JoinRow(f, row);
      SCOPED_TRACE("a=" + std::to_string(a) + " b=" + std::to_string(b) + " length " +
                   std::to_string(bytes.size()));
      EXPECT_NE(bytes.size() % 256, 0u) << "ambiguous jump table size";
      std::vector<ColumnSlice> slices;
      ASSERT_TRUE(CrackRow(f, t, ByteView{bytes.data(), bytes.size()}, "row", &slices).ok());
      EXPECT_EQ(slices[1].length, a);
      EXPECT_EQ(slices[2].length, b);
      EXPECT_FALSE(slices[3].present);
      for (size_t i = 0; i < a; ++i) ASSERT_EQ(bytes[slices[1].offset + i], 'a');
      for (size_t i = 0; i < b; ++i) ASSERT_EQ(bytes[slices[2].offset + i], 'b');
      // Split again: the same pieces.
      RawRow again;
      ASSERT_TRUE(SplitRow(f, t, ByteView{bytes.data(), bytes.size()}, "row", &again).ok());
      EXPECT_EQ(JoinRow(f, again), bytes);
    }
  }
}

TEST(RawRowTest, UnknownEntriesAreKeptAndNewColumnsGrowTheRow) {
  const Format& f = Jet4Format();
  TableDef t = ThreeVarColumns();
  RawRow row;
  row.var_table = true;
  row.column_count = 2;
  row.mask = {0x03};
  row.fixed = {9, 9, 9, 9};
  // Entry 0 belongs to column a; entries 1 and 2 are unknown here.
  row.var = {{'x'}, {'d', 'e', 'l'}};
  TableDef narrow = t;
  narrow.columns.resize(2);
  SetRawColumn(t.columns[3], std::vector<uint8_t>{7, 7}, true, &row);  // added later
  std::vector<uint8_t> bytes = JoinRow(f, row);
  RawRow back;
  ASSERT_TRUE(SplitRow(f, t, ByteView{bytes.data(), bytes.size()}, "row", &back).ok());
  EXPECT_EQ(back.column_count, 4u);
  ASSERT_EQ(back.var.size(), 3u);
  EXPECT_EQ(back.var[1], (std::vector<uint8_t>{'d', 'e', 'l'}));
  EXPECT_EQ(back.var[2], (std::vector<uint8_t>{7, 7}));
  std::vector<ColumnSlice> slices;
  ASSERT_TRUE(CrackRow(f, t, ByteView{bytes.data(), bytes.size()}, "row", &slices).ok());
  EXPECT_TRUE(slices[1].present);
  EXPECT_FALSE(slices[2].present);  // its null bit was never set
  EXPECT_TRUE(slices[3].present);
}

}  // namespace
}  // namespace jet
