// Random tables, random updates: for each seed a table of random columns
// (every type, required or not, compressed text or not) and random indexes
// (compound, descending) is created with random rows, then changed by a
// random sequence of updates, some in batches. After every step the row
// reads back as an in-memory model says; a value too long or a missing
// required value is refused exactly when the model predicts; at the end the
// whole table matches the model and the file passes the integrity check.
// The same on the People fixture, whose unique indexes refuse duplicates.
#include <gtest/gtest.h>

#include "jet/create/database_builder.h"
#include "jet/io/memory_file_system.h"
#include "jet/update/writable_database.h"
#include "tests/jet/random_values.h"
#include "tests/support/external_readers.h"
#include "text/utf8.h"
#include "update_test_util.h"

namespace jet::testing {
namespace {

const std::string kPath = "/r/random.mdb";

using Random = RandomValues;

// A value for column `c` of `spec`, NULL now and then unless `no_null`.
Value For(Random& rnd, const create::TableSpec& spec, size_t c, bool no_null = false) {
  const create::ColumnSpec& col = spec.columns[c];
  if (!no_null && col.type != ColumnType::kBoolean && rnd.Chance(0.12)) return Value();
  bool indexed = false;
  for (const auto& x : spec.indexes) {
    for (const auto& ic : x.columns) indexed = indexed || ic.column == col.name;
  }
  return rnd.For(col, indexed);
}

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
    c.compressed = rnd.Chance(0.70);
    c.required = c.type != ColumnType::kBoolean && rnd.Chance(0.15);
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
      if (!repeated) index.columns.push_back({c.name, rnd.Chance(0.60)});
    }
    if (!index.columns.empty()) spec.indexes.push_back(index);
  }
  return spec;
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
      row.push_back(For(rnd, spec, c, spec.columns[c].required));
    }
    rows.push_back(std::move(row));
  }
  std::vector<uint8_t> image;
  {
    ASSERT_OK_AND_ASSIGN(auto b, create::DatabaseBuilder::New({}));
    Status s = b->CreateTable(spec);
    ASSERT_TRUE(s.ok()) << s.ToString();
    s = b->InsertRows("R", rows);
    ASSERT_TRUE(s.ok()) << s.ToString();
    ASSERT_OK_AND_ASSIGN(auto bytes, b->Finish());
    image = bytes;
  }
  MemoryFileSystem mem;
  mem.Put(kPath, image);
  ASSERT_OK_AND_ASSIGN(auto opened, OpenForUpdateOn(&mem, kPath));
  Database& db = *opened;
  ASSERT_OK_AND_ASSIGN(auto t, db.FindTable("R"));
  std::vector<RowId> ids;
  auto model = AllRows(db, t, &ids);
  ASSERT_EQ(model.size(), rows.size());
  ASSERT_EQ(model, rows);

  int batch_left = 0;
  for (int step = 0; step < 150; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    if (batch_left == 0 && rnd.Chance(0.10)) {
      ASSERT_TRUE(db.BeginBatch().ok());
      batch_left = rnd.Int(2, 10);
    }
    const size_t r = static_cast<size_t>(rnd.Int(0, static_cast<int>(model.size()) - 1));
    ColumnChanges ch;
    bool ok = true;
    for (int k = 0, n = rnd.Int(1, 3); k < n; ++k) {
      const size_t c = static_cast<size_t>(rnd.Int(1, static_cast<int>(spec.columns.size()) - 1));
      const create::ColumnSpec& col = spec.columns[c];
      Value v = For(rnd, spec, c);
      if (col.type == ColumnType::kText && rnd.Chance(0.05)) {
        v = std::string(col.max_length + 1u, 'L');  // one character too many
      }
      if (col.required && IsNull(v)) ok = false;
      if (auto s = std::get_if<std::string>(&v); s && col.type == ColumnType::kText) {
        ok = ok && text::Utf16Length(*s) <= col.max_length;
      }
      ch.push_back({c, v});
    }
    std::vector<Value> next = model[r];
    for (const auto& [c, v] : ch) {
      next[c] = spec.columns[c].type == ColumnType::kBoolean && IsNull(v) ? Value(false) : v;
    }
    Status s = db.UpdateRow(t, ids[r], ch);
    EXPECT_EQ(s.ok(), ok) << s.ToString();
    if (s.ok()) model[r] = next;
    ASSERT_OK_AND_ASSIGN(auto row, db.ReadRow(t, ids[r]));
    ASSERT_EQ(row, model[r]);
    if (batch_left > 0 && --batch_left == 0) {
      ASSERT_TRUE(db.CommitBatch().ok());
    }
    if (step % 30 == 29) {
      std::vector<RowId> now;
      ASSERT_EQ(AllRows(db, t, &now), model);
      ASSERT_EQ(now, ids);
    }
  }
  if (batch_left > 0) {
    ASSERT_TRUE(db.CommitBatch().ok());
  }
  opened.reset();
  ASSERT_OK_AND_ASSIGN(auto reopened,
                       OpenDatabase(std::make_unique<MemoryByteSource>(mem.Contents(kPath)), {}));
  EXPECT_EQ(AllRows(*reopened, t), model);
  EXPECT_GT(ExpectSoundImage(mem.Contents(kPath)).index_entries, 0u);
  // A third of the seeds also go to the independent reader.
  if (GetParam() % 3 != 0) return;
  if (!tarnquill::testing::HaveOracle()) GTEST_SKIP() << tarnquill::testing::kNoOracle;
  EXPECT_TRUE(tarnquill::testing::ReadersAgree(mem.Contents(kPath), "random-table.mdb"));
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomTableTest, ::testing::Range(1u, 13u));

// People, the fixture of named columns: random updates where unique-key
// clashes (a small pool of names), values too long and missing keys are
// refused exactly when the model predicts.
const std::string kPeoplePath = "/p/people.mdb";

std::string RandomText(std::mt19937& rng, size_t max_chars) {
  static const char* const kPieces[] = {"a", "B", "北", "京", "z", " ", "é", "市", "9", "Ω"};
  std::uniform_int_distribution<size_t> len(0, max_chars);
  std::uniform_int_distribution<size_t> piece(0, 9);
  size_t n = len(rng);
  std::string s;
  for (size_t i = 0; i < n; ++i) s += kPieces[piece(rng)];
  return s;
}

class PropertyTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(PropertyTest, RandomUpdatesMatchTheModel) {
  std::mt19937 rng(GetParam());
  ASSERT_OK_AND_ASSIGN(auto bytes, PeopleDatabase(30));
  MemoryFileSystem mem;
  mem.Put(kPeoplePath, bytes);
  ASSERT_OK_AND_ASSIGN(auto opened, OpenForUpdateOn(&mem, kPeoplePath));
  Database& db = *opened;
  ASSERT_OK_AND_ASSIGN(auto t, db.FindTable("People"));
  std::vector<RowId> ids;
  auto model = AllRows(db, t, &ids);
  ASSERT_EQ(model.size(), 30u);

  std::uniform_int_distribution<size_t> pick_row(0, model.size() - 1);
  std::uniform_int_distribution<int> pick(0, 99);
  int refused = 0;
  for (int step = 0; step < 200; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    const size_t r = pick_row(rng);
    ColumnChanges ch;
    if (pick(rng) < 50) {
      // A small pool of names, so unique-key clashes happen.
      int p = pick(rng);
      ch.push_back({kName, p < 10 ? Value() : p < 15 ? Value(std::string(41 + p % 3, 'q'))
                                                     : Value("n" + std::to_string(p % 40))});
    }
    if (pick(rng) < 40) ch.push_back({kCity, pick(rng) < 15 ? Value() : Value(RandomText(rng, 30))});
    if (pick(rng) < 40) {
      int p = pick(rng);
      ch.push_back({kNotes, p < 15 ? Value()
                            : p < 80 ? Value(RandomText(rng, 200))
                                     : Value(std::string(static_cast<size_t>(p) * 300, 'm'))});
    }
    if (pick(rng) < 15) ch.push_back({kId, pick(rng) < 5 ? Value() : Value(int32_t{pick(rng)})});
    if (pick(rng) < 20) ch.push_back({kScore, Value(pick(rng) * 0.25)});
    if (pick(rng) < 20) ch.push_back({kActive, Value(pick(rng) < 50)});
    if (ch.empty()) continue;

    // What the model expects.
    auto next = model[r];
    for (const auto& [c, v] : ch) next[c] = v;
    bool ok = true;
    if (IsNull(next[kId])) ok = false;
    if (auto* s = std::get_if<std::string>(&next[kName]); s && s->size() > 40) ok = false;
    for (size_t o = 0; o < model.size() && ok; ++o) {
      if (o == r) continue;
      if (model[o][kId] == next[kId]) ok = false;
      if (!IsNull(next[kName]) && model[o][kName] == next[kName]) ok = false;
    }
    Status s = db.UpdateRow(t, ids[r], ch);
    EXPECT_EQ(s.ok(), ok) << s.ToString();
    if (s.ok()) {
      model[r] = next;
    } else {
      ++refused;
    }
    ASSERT_OK_AND_ASSIGN(auto row, db.ReadRow(t, ids[r]));
    ASSERT_EQ(row, model[r]);
    if (step % 25 == 0) {
      std::vector<RowId> now;
      ASSERT_EQ(AllRows(db, t, &now), model);
      ASSERT_EQ(now, ids);
    }
  }
  EXPECT_GT(refused, 0);
  opened.reset();
  ASSERT_NO_FATAL_FAILURE(ExpectSoundImage(mem.Contents(kPeoplePath)));
  if (!tarnquill::testing::HaveOracle()) GTEST_SKIP() << tarnquill::testing::kNoOracle;
  EXPECT_TRUE(tarnquill::testing::ReadersAgree(mem.Contents(kPeoplePath), "property.mdb"));
}

INSTANTIATE_TEST_SUITE_P(Seeds, PropertyTest, ::testing::Values(1u, 2u, 3u, 4u));

}  // namespace
}  // namespace jet::testing
