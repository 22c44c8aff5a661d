// Random tables and random rows (tests/jet/random_values.h) created, read
// back through our reader, checked for integrity and, when mdbtools is
// present, counted by an independent reader.
#include <gtest/gtest.h>

#include "jet/create/database_builder.h"
#include "jet/database.h"
#include "tests/jet/random_values.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace {

using jet::ColumnType;
using jet::Value;
using jet::create::ColumnSpec;
using jet::create::Row;
using jet::create::TableSpec;
using namespace tarnquill::testing;

const std::vector<ColumnType> kTypes = {
    ColumnType::kBoolean,  ColumnType::kByte,   ColumnType::kInteger, ColumnType::kLong,
    ColumnType::kCurrency, ColumnType::kSingle, ColumnType::kDouble,  ColumnType::kDateTime,
    ColumnType::kBinary,   ColumnType::kText,   ColumnType::kOle,     ColumnType::kMemo,
    ColumnType::kGuid,     ColumnType::kNumeric};

TEST(CreateProperty, RandomTablesAndRowsReadBackExactly) {
  const bool mdbtools = HaveMdbTools();
  for (uint64_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    jet::testing::RandomValues r(seed);
    TableSpec spec;
    spec.name = seed % 2 ? "随机表" + std::to_string(seed) : "Random" + std::to_string(seed);
    ColumnSpec id = AutoNumberColumn("ID");
    spec.columns.push_back(id);
    int ncols = r.Int(1, 14);
    for (int k = 0; k < ncols; ++k) {
      ColumnSpec c;
      c.name = (k % 3 == 0 ? "列" : "Col") + std::to_string(k);
      c.type = kTypes[static_cast<size_t>(r.Int(0, static_cast<int>(kTypes.size()) - 1))];
      c.max_length = static_cast<uint16_t>(r.Int(1, 255));
      if (c.type == ColumnType::kText) c.max_length = static_cast<uint16_t>(r.Int(1, 120));
      c.precision = static_cast<uint8_t>(r.Int(18, 28));
      c.scale = static_cast<uint8_t>(r.Int(0, 6));
      c.compressed = r.Chance(0.7);
      c.required = r.Chance(0.1);
      spec.columns.push_back(c);
    }
    spec.indexes.push_back(PrimaryKey("ID"));
    std::vector<bool> indexed(spec.columns.size(), false);
    for (size_t k = 1; k < spec.columns.size() && spec.indexes.size() < 4; ++k) {
      ColumnType t = spec.columns[k].type;
      if (t == ColumnType::kOle || t == ColumnType::kMemo || !r.Chance(0.4)) continue;
      auto x = Index("I" + std::to_string(k), {spec.columns[k].name});
      x.columns[0].ascending = r.Chance(0.5);
      if (r.Chance(0.5) && k + 1 < spec.columns.size() &&
          spec.columns[k + 1].type != ColumnType::kOle &&
          spec.columns[k + 1].type != ColumnType::kMemo) {
        x.columns.push_back({spec.columns[k + 1].name, r.Chance(0.5)});
        indexed[k + 1] = true;
      }
      indexed[k] = true;
      spec.indexes.push_back(x);
    }
    std::vector<Row> rows;
    int nrows = r.Int(0, 400);
    for (int i = 0; i < nrows; ++i) {
      Row row{Value()};
      for (size_t k = 1; k < spec.columns.size(); ++k) {
        const ColumnSpec& c = spec.columns[k];
        bool null = !c.required && c.type != ColumnType::kBoolean && r.Chance(0.15);
        row.push_back(null ? Value() : r.For(c, indexed[k]));
      }
      rows.push_back(std::move(row));
    }
    TempDir dir;
    ASSERT_OK_AND_ASSIGN(auto path, MakeFixtureDatabase(dir.path(), {{spec, rows}}));

    ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(path, {}));
    ASSERT_OK_AND_ASSIGN(auto def, db->FindTable(spec.name));
    ASSERT_EQ(def.columns.size(), spec.columns.size());
    for (size_t k = 0; k < spec.columns.size(); ++k) {
      EXPECT_EQ(def.columns[k].name, spec.columns[k].name);
      EXPECT_EQ(def.columns[k].type, spec.columns[k].type);
    }
    const auto back = AllRows(*db, def);
    ASSERT_EQ(back.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      rows[i][0] = static_cast<int32_t>(i + 1);  // auto-numbers
      for (size_t k = 0; k < spec.columns.size(); ++k) {
        EXPECT_TRUE(back[i][k] == rows[i][k]) << "row " << i << " column " << spec.columns[k].name;
      }
    }

    EXPECT_GE(ExpectSoundFile(path).rows, rows.size());
    if (HaveOracle()) {
      std::string indexes;
      for (const auto& x : spec.indexes) {
        indexes += " " + x.name + ":";
        for (const auto& ic : x.columns) {
          for (const ColumnSpec& c : spec.columns) {
            if (c.name == ic.column) {
              indexes += " type " + std::to_string(static_cast<int>(c.type)) +
                         (ic.ascending ? "" : " desc");
            }
          }
        }
      }
      // Every third table is also read back through the independent reader.
      EXPECT_TRUE(seed % 3 == 0 ? ReadersAgree(path) : OracleCheck(path)) << "indexes" << indexes;
    }

    if (mdbtools) {
      int status = 0;
      std::string count = RunCommand("mdb-export -H -R '@ROW@' " + Quote(path) + " " +
                                         Quote(spec.name) + " 2>&1 | grep -a -o '@ROW@' | wc -l",
                                     &status);
      std::string errors =
          RunCommand("mdb-export " + Quote(path) + " " + Quote(spec.name) + " 2>&1 >/dev/null");
      EXPECT_EQ(errors, "") << "mdb-export complained";
      EXPECT_EQ(status, 0);
      EXPECT_EQ(std::stoul(count.empty() ? "0" : count), rows.size()) << "mdb-export rows";
    }
  }
}

}  // namespace
