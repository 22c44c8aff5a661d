// Random sequences of updates against an in-memory model: after every step
// the database holds exactly what the model says, refusals happen exactly
// when the model predicts them (duplicate keys, values too long, missing
// required values), and at the end the file passes the integrity check.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "fixture.h"
#include "jet/update/integrity_check.h"
#include "jet/update/writable_database.h"
#include "jet/io/memory_file_system.h"
#include "tests/support/external_readers.h"
#include "update_test_util.h"

namespace jet::testing {
namespace {

const std::string kPath = "/p/people.mdb";

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
  auto bytes = PeopleDatabase(30);
  ASSERT_TRUE(bytes.ok()) << bytes.status().ToString();
  MemoryFileSystem mem;
  mem.Put(kPath, *bytes);
  auto opened = OpenForUpdateOn(&mem, kPath);
  ASSERT_TRUE(opened.ok()) << opened.status().ToString();
  Database& db = **opened;
  auto t = db.FindTable("People");
  ASSERT_TRUE(t.ok());
  std::vector<RowId> ids;
  auto model = AllRows(db, *t, &ids);
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
    if (step % 25 == 0) {
      std::vector<RowId> now;
      ASSERT_EQ(AllRows(db, *t, &now), model);
      ASSERT_EQ(now, ids);
    }
  }
  EXPECT_GT(refused, 0);
  opened->reset();
  auto report = CheckDatabase(std::make_unique<MemoryByteSource>(mem.Contents(kPath)), "");
  ASSERT_TRUE(report.ok());
  for (const auto& p : report->problems) ADD_FAILURE() << p;
  if (!tarnquill::testing::HaveOracle()) GTEST_SKIP() << tarnquill::testing::kNoOracle;
  EXPECT_TRUE(tarnquill::testing::ReadersAgree(mem.Contents(kPath), "property.mdb"));
}

INSTANTIATE_TEST_SUITE_P(Seeds, PropertyTest, ::testing::Values(1u, 2u, 3u, 4u));

}  // namespace
}  // namespace jet::testing
