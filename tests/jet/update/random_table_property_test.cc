// Random tables, random updates: for each seed a table of random columns
// (every type, required or not, compressed text or not) and random indexes
// (compound, descending) is created with random rows, then changed by a
// random sequence of updates, some in batches. After every step the row
// reads back as an in-memory model says; a value too long or a missing
// required value is refused exactly when the model predicts; at the end the
// whole table matches the model and the file passes the integrity check.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <random>

#include "jet/create/database_builder.h"
#include "jet/update/integrity_check.h"
#include "jet/update/writable_database.h"
#include "jet/io/memory_file_system.h"
#include "tests/support/external_readers.h"
#include "update_test_util.h"

namespace jet::testing {
namespace {

const std::string kPath = "/r/random.mdb";

class Random {
 public:
  explicit Random(unsigned seed) : rng_(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(int percent) { return Int(0, 99) < percent; }

  std::string Text(size_t max_chars) {
    static const char* const kPieces[] = {"a", "Z", "北", "京", " ", "é", "市", "7", "Ω", "ß"};
    size_t n = static_cast<size_t>(Int(0, static_cast<int>(max_chars)));
    std::string s;
    for (size_t i = 0; i < n; ++i) s += kPieces[Int(0, 9)];
    return s;
  }

  // A value `spec` can hold (NULL sometimes, unless `no_null`).
  Value For(const create::ColumnSpec& c, bool no_null = false) {
    if (!no_null && c.type != ColumnType::kBoolean && Chance(12)) return Value();
    switch (c.type) {
      case ColumnType::kBoolean:
        return Chance(50);
      case ColumnType::kByte:
        return static_cast<uint8_t>(Chance(20) ? 255 : Int(0, 254));
      case ColumnType::kInteger:
        return static_cast<int16_t>(Chance(20) ? (Chance(50) ? SHRT_MIN : SHRT_MAX)
                                               : Int(-1000, 1000));
      case ColumnType::kLong:
        return Chance(20) ? (Chance(50) ? INT_MIN : INT_MAX) : Int(-100000, 100000);
      case ColumnType::kSingle:
        return Chance(20) ? (Chance(50) ? FLT_MAX : -FLT_MIN) : Int(-5000, 5000) / 8.0f;
      case ColumnType::kDouble:
        return Chance(20) ? (Chance(50) ? DBL_MAX : -DBL_MIN) : Int(-5000, 5000) / 16.0;
      case ColumnType::kCurrency:
        return Currency{Chance(20) ? (Chance(50) ? INT64_MIN : INT64_MAX)
                                   : int64_t{Int(-1000000, 1000000)} * 100};
      case ColumnType::kDateTime:
        return DateTime{Int(-600000, 2900000) / 1.0 + Int(0, 95) / 96.0};
      case ColumnType::kNumeric: {
        Decimal d;
        d.scale = c.scale;
        d.negative = Chance(50);
        // Up to the column's precision in digits.
        uint64_t limit = 1;
        for (int i = 0; i < std::min<int>(c.precision, 18); ++i) limit *= 10;
        d.magnitude = {static_cast<uint32_t>(Int(0, INT_MAX) % limit), 0, 0};
        if (Chance(20)) {
          uint64_t m = limit - 1;
          d.magnitude = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32), 0};
        }
        if (d.magnitude == std::array<uint32_t, 3>{}) d.negative = false;
        return d;
      }
      case ColumnType::kGuid: {
        Guid g;
        for (auto& b : g.bytes) b = static_cast<uint8_t>(Int(0, 255));
        return g;
      }
      case ColumnType::kBinary: {
        Bytes b(static_cast<size_t>(Int(0, c.max_length)));
        for (auto& x : b) x = static_cast<uint8_t>(Int(0, 255));
        return b;
      }
      case ColumnType::kOle: {
        Bytes b(static_cast<size_t>(Chance(30) ? Int(0, 20000) : Int(0, 100)));
        for (auto& x : b) x = static_cast<uint8_t>(Int(0, 255));
        return b;
      }
      case ColumnType::kText:
        return Text(c.max_length);
      case ColumnType::kMemo:
        return Chance(25)
                   ? std::string(static_cast<size_t>(Int(900, 30000)), "xy"[Int(0, 1)]) + Text(3)
                   : Text(300);
      case ColumnType::kComplex:  // not in .mdb files
      case ColumnType::kBigInt:
      case ColumnType::kExtendedDateTime:
        break;
    }
    return Value();
  }

 private:
  std::mt19937 rng_;
};

create::TableSpec RandomSpec(Random& rnd) {
  static const ColumnType kTypes[] = {
      ColumnType::kBoolean, ColumnType::kByte,   ColumnType::kInteger,  ColumnType::kLong,
      ColumnType::kSingle,  ColumnType::kDouble, ColumnType::kCurrency, ColumnType::kDateTime,
      ColumnType::kNumeric, ColumnType::kGuid,   ColumnType::kBinary,   ColumnType::kOle,
      ColumnType::kText,    ColumnType::kText,   ColumnType::kMemo,     ColumnType::kText};
  create::TableSpec spec;
  spec.name = "R";
  spec.columns.push_back({.name = "ID", .type = ColumnType::kLong, .required = true});
  const int n = rnd.Int(2, 9);
  for (int i = 0; i < n; ++i) {
    create::ColumnSpec c;
    c.name = "c" + std::to_string(i);
    c.type = kTypes[rnd.Int(0, 15)];
    c.max_length = static_cast<uint16_t>(rnd.Int(1, 80));
    c.compressed = rnd.Chance(70);
    c.required = c.type != ColumnType::kBoolean && rnd.Chance(15);
    if (c.type == ColumnType::kNumeric) {
      c.precision = static_cast<uint8_t>(rnd.Int(1, 18));
      c.scale = static_cast<uint8_t>(rnd.Int(0, c.precision));
    }
    spec.columns.push_back(c);
  }
  spec.indexes.push_back({.name = "PrimaryKey", .columns = {{"ID"}}, .primary = true});
  // Non-unique indexes over one to three indexable columns, in either order.
  for (int x = 0, count = rnd.Int(0, 3); x < count; ++x) {
    create::IndexSpec index;
    index.name = "ix" + std::to_string(x);
    for (int k = 0, parts = rnd.Int(1, 3); k < parts; ++k) {
      const create::ColumnSpec& c =
          spec.columns[static_cast<size_t>(rnd.Int(1, static_cast<int>(spec.columns.size()) - 1))];
      if (c.type == ColumnType::kMemo || c.type == ColumnType::kOle) continue;
      bool repeated = false;
      for (const auto& ic : index.columns) repeated = repeated || ic.column == c.name;
      if (!repeated) index.columns.push_back({c.name, rnd.Chance(60)});
    }
    if (!index.columns.empty()) spec.indexes.push_back(index);
  }
  return spec;
}

// Text length in UTF-16 code units, as the column's size counts it.
size_t Units(const std::string& s) {
  size_t n = 0;
  for (unsigned char ch : s) n += (ch & 0xC0) != 0x80 ? (ch >= 0xF0 ? 2 : 1) : 0;
  return n;
}

class RandomTableTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(RandomTableTest, UpdatesMatchTheModel) {
  Random rnd(GetParam());
  const create::TableSpec spec = RandomSpec(rnd);
  std::string shape;
  for (const auto& c : spec.columns) shape += " " + std::string(ColumnTypeName(c.type));
  SCOPED_TRACE("columns:" + shape + ", indexes: " + std::to_string(spec.indexes.size()));

  std::vector<create::Row> rows;
  for (int r = 0, count = rnd.Int(5, 60); r < count; ++r) {
    create::Row row{Value(int32_t{r + 1})};
    for (size_t c = 1; c < spec.columns.size(); ++c) {
      row.push_back(rnd.For(spec.columns[c], spec.columns[c].required));
    }
    rows.push_back(std::move(row));
  }
  std::vector<uint8_t> image;
  {
    auto b = create::DatabaseBuilder::New({});
    ASSERT_TRUE(b.ok());
    Status s = (*b)->CreateTable(spec);
    ASSERT_TRUE(s.ok()) << s.ToString();
    s = (*b)->InsertRows("R", rows);
    ASSERT_TRUE(s.ok()) << s.ToString();
    auto bytes = (*b)->Finish();
    ASSERT_TRUE(bytes.ok());
    image = *bytes;
  }
  MemoryFileSystem mem;
  mem.Put(kPath, image);
  auto opened = OpenForUpdateOn(&mem, kPath);
  ASSERT_TRUE(opened.ok()) << opened.status().ToString();
  Database& db = **opened;
  auto t = db.FindTable("R");
  ASSERT_TRUE(t.ok());
  std::vector<RowId> ids;
  auto model = AllRows(db, *t, &ids);
  ASSERT_EQ(model.size(), rows.size());
  ASSERT_EQ(model, rows);

  int refused = 0, batch_left = 0;
  for (int step = 0; step < 150; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    if (batch_left == 0 && rnd.Chance(10)) {
      ASSERT_TRUE(db.BeginBatch().ok());
      batch_left = rnd.Int(2, 10);
    }
    const size_t r = static_cast<size_t>(rnd.Int(0, static_cast<int>(model.size()) - 1));
    ColumnChanges ch;
    bool ok = true;
    for (int k = 0, n = rnd.Int(1, 3); k < n; ++k) {
      const size_t c = static_cast<size_t>(rnd.Int(1, static_cast<int>(spec.columns.size()) - 1));
      const create::ColumnSpec& col = spec.columns[c];
      Value v = rnd.For(col);
      if (col.type == ColumnType::kText && rnd.Chance(5)) {
        v = std::string(col.max_length + 1u, 'L');  // one character too many
      }
      if (col.required && IsNull(v)) ok = false;
      if (auto s = std::get_if<std::string>(&v); s && col.type == ColumnType::kText) {
        ok = ok && Units(*s) <= col.max_length;
      }
      ch.push_back({c, v});
    }
    std::vector<Value> next = model[r];
    for (const auto& [c, v] : ch) {
      next[c] = spec.columns[c].type == ColumnType::kBoolean && IsNull(v) ? Value(false) : v;
    }
    Status s = db.UpdateRow(*t, ids[r], ch);
    EXPECT_EQ(s.ok(), ok) << s.ToString();
    if (s.ok()) {
      model[r] = next;
    } else {
      ++refused;
    }
    auto row = db.ReadRow(*t, ids[r]);
    ASSERT_TRUE(row.ok()) << row.status().ToString();
    ASSERT_EQ(*row, model[r]);
    if (batch_left > 0 && --batch_left == 0) {
      ASSERT_TRUE(db.CommitBatch().ok());
    }
    if (step % 30 == 29) {
      std::vector<RowId> now;
      ASSERT_EQ(AllRows(db, *t, &now), model);
      ASSERT_EQ(now, ids);
    }
  }
  if (batch_left > 0) {
    ASSERT_TRUE(db.CommitBatch().ok());
  }
  opened->reset();
  auto reopened = OpenDatabase(std::make_unique<MemoryByteSource>(mem.Contents(kPath)), {});
  ASSERT_TRUE(reopened.ok());
  EXPECT_EQ(AllRows(**reopened, *t), model);
  auto report = CheckDatabase(std::make_unique<MemoryByteSource>(mem.Contents(kPath)), "");
  ASSERT_TRUE(report.ok());
  for (const auto& p : report->problems) ADD_FAILURE() << p;
  EXPECT_GT(report->index_entries, 0u);
  // A third of the seeds also go to the independent reader.
  if (GetParam() % 3 != 0) return;
  if (!tarnquill::testing::HaveOracle()) GTEST_SKIP() << tarnquill::testing::kNoOracle;
  EXPECT_TRUE(tarnquill::testing::ReadersAgree(mem.Contents(kPath), "random-table.mdb"));
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomTableTest, ::testing::Range(1u, 13u));

}  // namespace
}  // namespace jet::testing
