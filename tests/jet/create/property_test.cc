// Random tables and random rows — Chinese text, long memos, NULLs, extreme
// numbers — created, read back through our reader, checked for integrity and,
// when mdbtools is present, counted by an independent reader.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "jet/create/database_builder.h"
#include "jet/database.h"
#include "jet/update/integrity_check.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace {

using jet::ColumnType;
using jet::Value;
using jet::create::ColumnSpec;
using jet::create::Row;
using jet::create::TableSpec;
using namespace tarnquill::testing;

// Characters chosen to stress the encoders: ASCII, Chinese, characters whose
// low byte is zero (never compressible), Latin-1, quotes and commas.
const std::vector<std::string> kPieces = {"a",  "Z",  "7",  " ",    "北",     "京", "上",
                                          "海", "一", "丁", "Ā",    "é",      "ß",  "\"",
                                          ",",  "'",  "\n", "客户", "BEIJING"};
const std::vector<std::string> kRareUnindexed = {"😀", "\t"};

class Random {
 public:
  explicit Random(uint64_t seed) : g_(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(g_); }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(g_) < p; }
  uint64_t U64() { return g_(); }
  double Real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(g_); }

  // Text of at most `max_units` UTF-16 units.
  std::string Text(int max_units, bool indexed) {
    std::string s;
    int units = 0, target = Int(0, max_units);
    while (units < target) {
      const std::string& p =
          (!indexed && Chance(0.02))
              ? kRareUnindexed[static_cast<size_t>(Int(0, 1))]
              : kPieces[static_cast<size_t>(Int(0, static_cast<int>(kPieces.size()) - 1))];
      int n = 0;
      for (unsigned char c : p) n += (c & 0xC0) != 0x80 ? (c >= 0xF0 ? 2 : 1) : 0;
      if (units + n > target) break;
      s += p;
      units += n;
    }
    return s;
  }

 private:
  std::mt19937_64 g_;
};

const std::vector<ColumnType> kTypes = {
    ColumnType::kBoolean,  ColumnType::kByte,   ColumnType::kInteger, ColumnType::kLong,
    ColumnType::kCurrency, ColumnType::kSingle, ColumnType::kDouble,  ColumnType::kDateTime,
    ColumnType::kBinary,   ColumnType::kText,   ColumnType::kOle,     ColumnType::kMemo,
    ColumnType::kGuid,     ColumnType::kNumeric};

Value RandomValue(Random& r, const ColumnSpec& c, bool indexed) {
  switch (c.type) {
    case ColumnType::kBoolean:
      return r.Chance(0.5);
    case ColumnType::kByte:
      return static_cast<uint8_t>(r.Chance(0.2) ? 255 : r.Int(0, 255));
    case ColumnType::kInteger:
      return static_cast<int16_t>(r.Chance(0.2) ? (r.Chance(0.5) ? -32768 : 32767)
                                                : r.Int(-500, 500));
    case ColumnType::kLong:
      return r.Chance(0.2) ? (r.Chance(0.5) ? INT32_MIN : INT32_MAX)
                           : static_cast<int32_t>(r.U64());
    case ColumnType::kCurrency:
      return jet::Currency{r.Chance(0.2) ? (r.Chance(0.5) ? INT64_MIN : INT64_MAX)
                                         : static_cast<int64_t>(r.U64() >> r.Int(1, 60))};
    case ColumnType::kSingle: {
      const float picks[] = {std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                             std::numeric_limits<float>::denorm_min(), 0.0f, -1.5f};
      return r.Chance(0.4) ? picks[r.Int(0, 4)] : static_cast<float>(r.Real(-1e6, 1e6));
    }
    case ColumnType::kDouble: {
      const double picks[] = {std::numeric_limits<double>::max(),
                              -std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::denorm_min(), 0.0, 1e-300};
      return r.Chance(0.4) ? picks[r.Int(0, 4)] : r.Real(-1e12, 1e12);
    }
    case ColumnType::kDateTime:
      // Whole seconds, as Access's own forms enter them: the independent
      // checker rounds what it reads to milliseconds before computing a key,
      // so a finer fraction would only differ there.
      return jet::DateTime{std::round(r.Real(-657434.0, 2958465.0) * 86400.0) / 86400.0};
    case ColumnType::kBinary: {
      jet::Bytes b(static_cast<size_t>(r.Int(0, c.max_length)));
      for (auto& x : b) x = static_cast<uint8_t>(r.U64());
      return b;
    }
    case ColumnType::kText:
      return r.Text(c.max_length, indexed);
    case ColumnType::kMemo:
      return r.Text(r.Chance(0.2) ? 20000 : 100, false);
    case ColumnType::kOle: {
      jet::Bytes b(static_cast<size_t>(r.Chance(0.2) ? r.Int(0, 12000) : r.Int(0, 80)));
      for (auto& x : b) x = static_cast<uint8_t>(r.U64());
      return b;
    }
    case ColumnType::kGuid: {
      jet::Guid g;
      for (auto& x : g.bytes) x = static_cast<uint8_t>(r.U64());
      return g;
    }
    case ColumnType::kNumeric: {
      // Up to 18 digits keeps within any precision of 18 and more.
      jet::Decimal d;
      d.negative = r.Chance(0.5);
      d.scale = c.scale;
      uint64_t m = r.U64() % 1000000000000000000ULL;
      d.magnitude = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32), 0};
      return d;
    }
    case ColumnType::kComplex:  // not in .mdb files
    case ColumnType::kBigInt:
    case ColumnType::kExtendedDateTime:
      break;
  }
  return Value();
}

TEST(CreateProperty, RandomTablesAndRowsReadBackExactly) {
  const bool mdbtools = HaveMdbTools();
  for (uint64_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Random r(seed);
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
        row.push_back(null ? Value() : RandomValue(r, c, indexed[k]));
      }
      rows.push_back(std::move(row));
    }
    TempDir dir;
    auto path = MakeFixtureDatabase(dir.path(), {{spec, rows}});
    ASSERT_TRUE(path.ok()) << path.status().ToString();

    auto db = jet::Database::Open(*path, {});
    ASSERT_TRUE(db.ok()) << db.status().ToString();
    auto def = (*db)->FindTable(spec.name);
    ASSERT_TRUE(def.ok()) << def.status().ToString();
    ASSERT_EQ(def->columns.size(), spec.columns.size());
    for (size_t k = 0; k < spec.columns.size(); ++k) {
      EXPECT_EQ(def->columns[k].name, spec.columns[k].name);
      EXPECT_EQ(def->columns[k].type, spec.columns[k].type);
    }
    auto scan = (*db)->Scan(*def);
    ASSERT_TRUE(scan.ok());
    size_t i = 0;
    for (;; ++i) {
      auto more = (*scan)->Next();
      ASSERT_TRUE(more.ok()) << more.status().ToString();
      if (!*more) break;
      ASSERT_LT(i, rows.size());
      rows[i][0] = static_cast<int32_t>(i + 1);
      for (size_t k = 0; k < spec.columns.size(); ++k) {
        auto v = (*scan)->Get(k);
        ASSERT_TRUE(v.ok()) << v.status().ToString();
        EXPECT_TRUE(*v == rows[i][k]) << "row " << i << " column " << spec.columns[k].name;
      }
    }
    EXPECT_EQ(i, rows.size());

    auto report = jet::CheckDatabaseFile(*path, "");
    ASSERT_TRUE(report.ok()) << report.status().ToString();
    for (const auto& p : report->problems) ADD_FAILURE() << p;
    EXPECT_GE(report->rows, rows.size());
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
      EXPECT_TRUE(seed % 3 == 0 ? ReadersAgree(*path) : OracleCheck(*path))
          << "indexes" << indexes;
    }

    if (mdbtools) {
      int status = 0;
      std::string count = RunCommand("mdb-export -H -R '@ROW@' " + Quote(*path) + " " +
                                         Quote(spec.name) + " 2>&1 | grep -a -o '@ROW@' | wc -l",
                                     &status);
      std::string errors =
          RunCommand("mdb-export " + Quote(*path) + " " + Quote(spec.name) + " 2>&1 >/dev/null");
      EXPECT_EQ(errors, "") << "mdb-export complained";
      EXPECT_EQ(status, 0);
      EXPECT_EQ(std::stoul(count.empty() ? "0" : count), rows.size()) << "mdb-export rows";
    }
  }
}

}  // namespace
