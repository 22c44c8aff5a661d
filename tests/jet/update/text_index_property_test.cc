// At scale, on files written by either implementation: tens of thousands of
// random updates that lengthen, shorten and re-case indexed text (a plain
// index, a compound one with a descending part, a unique one), keys moved to
// the far end of an index and a batch rolled back leave a file that our
// check and the independent checker both accept, with every row holding
// what the updates said. TARNQUILL_PROPERTY_ROWS overrides the row
// count (50,000 by default).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "jet/database.h"
#include "jet/update/writable_database.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"
#include "text/utf8.h"

namespace {

using namespace tarnquill::testing;
using jet::Value;

int RowCount() {
  const char* env = std::getenv("TARNQUILL_PROPERTY_ROWS");
  return env != nullptr && std::atoi(env) > 0 ? std::atoi(env) : 50000;
}

// UTF-8 text as code points and back (test values stay in the BMP, so a code
// point is one UTF-16 unit of the column's length).
std::u32string Points(const std::string& s) {
  std::u32string out;
  char32_t cp = 0;
  for (size_t i = 0; i < s.size();) {
    const size_t n = text::DecodeUtf8Char(s, i, &cp);
    if (n == 0) break;
    out.push_back(cp);
    i += n;
  }
  return out;
}

std::string Utf8(const std::u32string& s) {
  std::string out;
  for (char32_t c : s) text::AppendUtf8(c, &out);
  return out;
}

class Random {
 public:
  explicit Random(uint32_t seed) : g_(seed) {}
  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(g_); }
  std::string Piece() { return kNamePieces[Below(kNamePieces.size())]; }

 private:
  std::mt19937 g_;
};

// One of the three changes to indexed text, within `max` characters.
std::string Change(Random& r, const std::string& old, size_t max) {
  std::u32string s = Points(old);
  switch (r.Below(3)) {
    case 0: {  // longer
      std::u32string more = Points(r.Piece() + r.Piece());
      s += more.substr(0, max > s.size() ? max - s.size() : 0);
      break;
    }
    case 1:  // shorter, never empty
      if (s.size() > 1) s.resize(1 + r.Below(s.size() - 1));
      break;
    default:  // other letter case: ASCII and Latin-1 letters flip
      for (char32_t& c : s) {
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
          c -= 0x20;
        } else if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
          c += 0x20;
        }
      }
  }
  return Utf8(s);
}

enum class Writer { kOurs, kTheirs };

struct Case {
  const char* name;
  Writer writer;
  int version;  // 2000 or 2003
};

// Positions of Name, City and Code.
std::vector<size_t> TextColumns(const jet::TableDef& table) {
  std::vector<size_t> columns;
  for (const char* name : {"Name", "City", "Code"}) {
    for (size_t k = 0; k < table.columns.size(); ++k) {
      if (table.columns[k].name == name) columns.push_back(k);
    }
  }
  EXPECT_EQ(columns.size(), 3u);
  return columns;
}

class TextIndexScale : public ::testing::TestWithParam<Case> {};

TEST_P(TextIndexScale, RandomTextUpdatesKeepBothCheckersContent) {
  const Case& c = GetParam();
  if (!HaveOracle()) GTEST_SKIP() << kNoOracle;
  const int rows = RowCount();
  TempDir dir;
  std::string path = dir.File("people.mdb");
  if (c.writer == Writer::kTheirs) {
    ASSERT_TRUE(OracleCreateTable(path, rows, 17, c.version));
  } else {
    ASSERT_OK_AND_ASSIGN(auto made, MakeFixtureDatabase(dir.path(), {PeopleTable(rows, 7)}));
    path = made;
  }

  std::map<std::pair<uint32_t, uint16_t>, std::vector<Value>> model;
  size_t refused = 0;
  {
    ASSERT_OK_AND_ASSIGN(auto db, jet::OpenDatabaseForUpdate(path, {}));
    ASSERT_OK_AND_ASSIGN(auto table, db->FindTable("People"));
    const std::vector<size_t> columns = TextColumns(table);
    ASSERT_EQ(columns.size(), 3u);
    std::vector<jet::RowId> ids;
    auto scan = db->Scan(table);
    while (*(*scan)->Next()) {
      std::vector<Value> values;
      for (size_t k : columns) values.push_back(*(*scan)->Get(k));
      ids.push_back((*scan)->id());
      model[{ids.back().page, ids.back().slot}] = std::move(values);
    }
    ASSERT_EQ(ids.size(), static_cast<size_t>(rows));
    Random r(static_cast<uint32_t>(c.version) + (c.writer == Writer::kOurs ? 1 : 0));
    const size_t limits[] = {50, 100, 20};
    // A code already taken is refused before anything changes.
    const Value taken = model[{ids[6].page, ids[6].slot}][2];
    EXPECT_EQ(db->UpdateRow(table, ids[5], {{columns[2], taken}}).code(),
              jet::Status::Code::kConstraint);
    ASSERT_TRUE(db->BeginBatch().ok());
    for (int n = 0; n < rows / 10; ++n) {
      const jet::RowId id = ids[r.Below(ids.size())];
      std::vector<Value>& now = model[{id.page, id.slot}];
      // Mostly names, often cities, sometimes codes (which may collide).
      const size_t which = n % 8 < 5 ? 0 : n % 8 < 7 ? 1 : 2;
      if (jet::IsNull(now[which])) continue;
      const std::string changed =
          Change(r, std::get<std::string>(now[which]), limits[which]);
      jet::Status s = db->UpdateRow(table, id, {{columns[which], changed}});
      if (s.code() == jet::Status::Code::kConstraint && which == 2) {
        ++refused;  // a duplicate code: the row keeps its value
        continue;
      }
      ASSERT_TRUE(s.ok()) << s.ToString();
      now[which] = changed;
    }
    ASSERT_TRUE(db->CommitBatch().ok());
    // The first rows' codes move past every other one, emptying the first
    // leaves of their index; then a batch rolled back leaves the file as
    // committed.
    ASSERT_TRUE(db->BeginBatch().ok());
    for (size_t k = 0; k < ids.size() / 12; ++k) {
      std::vector<Value>& now = model[{ids[k].page, ids[k].slot}];
      const std::string moved = "Z" + Utf8(Points(std::get<std::string>(now[2])).substr(0, 19));
      jet::Status s = db->UpdateRow(table, ids[k], {{columns[2], moved}});
      if (s.code() == jet::Status::Code::kConstraint) continue;
      ASSERT_TRUE(s.ok()) << s.ToString();
      now[2] = moved;
    }
    ASSERT_TRUE(db->CommitBatch().ok());
    ASSERT_TRUE(db->BeginBatch().ok());
    for (size_t k = 0; k < 1000 && k < ids.size(); ++k) {
      ASSERT_TRUE(db->UpdateRow(table, ids[k], {{columns[0], "A" + std::to_string(k)}}).ok());
    }
    ASSERT_TRUE(db->RollbackBatch().ok());
  }

  // Every row holds what the updates gave it, read back by a fresh open.
  ASSERT_OK_AND_ASSIGN(auto db, jet::Database::Open(path, {}));
  auto table = db->FindTable("People");
  const std::vector<size_t> columns = TextColumns(*table);
  auto scan = db->Scan(*table);
  size_t seen = 0, wrong = 0;
  while (*(*scan)->Next()) {
    const auto& want = model[{(*scan)->id().page, (*scan)->id().slot}];
    ++seen;
    for (size_t k = 0; k < columns.size(); ++k) wrong += *(*scan)->Get(columns[k]) != want[k];
  }
  EXPECT_EQ(seen, model.size());
  EXPECT_EQ(wrong, 0u);
  EXPECT_LT(refused, static_cast<size_t>(rows) / 32) << "codes collide too often to test much";
  EXPECT_TRUE(ReadersAgree(path));
}

const Case kCases[] = {
    {"OursAccess2000", Writer::kOurs, 2000},
    {"TheirsAccess2000", Writer::kTheirs, 2000},
    {"TheirsAccess2003", Writer::kTheirs, 2003},
};

INSTANTIATE_TEST_SUITE_P(Writers, TextIndexScale, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
