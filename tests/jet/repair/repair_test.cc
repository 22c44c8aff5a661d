// Rebuilding indexes: damaged trees of every kind come back whole, the rows
// stay as they were, both checkers agree afterwards, and a repair that cannot
// be done writes nothing.
#include "jet/repair/repair.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "jet/database.h"
#include "jet/format.h"
#include "jet/index/index_page.h"
#include "jet/io/fault_injection.h"
#include "jet/io/memory_file_system.h"
#include "jet/update/integrity_check.h"
#include "jet/update/writable_database.h"
#include "jet/write/journaled_file.h"
#include "tests/jet/corpus.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace {

using namespace tarnquill::testing;
using jet::Value;

constexpr uint32_t kPage = 4096;
constexpr int kRows = 4000;

jet::IndexPage PageAt(const std::vector<uint8_t>& file, uint32_t page) {
  jet::IndexPage p;
  jet::ByteView v{file.data() + size_t{page} * kPage, kPage};
  EXPECT_TRUE(jet::ParseIndexPage(jet::Jet4Format(), v, page, &p).ok()) << "page " << page;
  return p;
}

// The leaves of the tree under `root`, in key order.
void Leaves(const std::vector<uint8_t>& file, uint32_t root, std::vector<uint32_t>* out) {
  jet::IndexPage p = PageAt(file, root);
  if (p.leaf()) {
    out->push_back(root);
    return;
  }
  for (const jet::IndexEntry& e : p.entries) Leaves(file, e.child, out);
  if (p.tail != 0) Leaves(file, p.tail, out);
}

jet::IndexDef IndexNamed(const std::string& path, const std::string& name) {
  auto db = jet::Database::Open(path, {});
  auto table = (*db)->FindTable("People");
  for (const jet::IndexDef& x : table->indexes) {
    if (x.name == name) return x;
  }
  ADD_FAILURE() << "no index " << name;
  return {};
}

std::string CheckProblems(const std::string& path) {
  auto report = jet::CheckDatabaseFile(path, "");
  EXPECT_TRUE(report.ok()) << report.status().ToString();
  std::string all;
  for (const std::string& p : report->problems) all += p + "\n";
  return all;
}

// Ways an index goes wrong, each applied to the file's bytes.
enum class Damage { kEntriesLost, kAccess97Links, kStaleRoot };

struct Case {
  const char* name;
  Damage damage;
  const char* index;
  const char* check_says;     // in our check's report before the repair
  bool modify_refused;        // an update of a row the index lost is refused
};

void Apply(Damage damage, const std::string& path, const jet::IndexDef& x) {
  std::vector<uint8_t> file = ReadFileBytes(path);
  std::vector<uint32_t> leaves;
  Leaves(file, x.root_page, &leaves);
  ASSERT_GE(leaves.size(), 3u) << "the fixture needs a tree of several leaves";
  auto put = [&](uint32_t page, const jet::IndexPage& p) {
    ASSERT_TRUE(jet::WriteIndexPage(jet::Jet4Format(), p, file.data() + size_t{page} * kPage));
  };
  switch (damage) {
    case Damage::kEntriesLost: {
      // Entries vanish from the middle of a leaf: the rows stay.
      jet::IndexPage p = PageAt(file, leaves[1]);
      p.entries.erase(p.entries.begin() + 2, p.entries.begin() + 7);
      put(leaves[1], p);
      break;
    }
    case Damage::kAccess97Links:
      // The leaves link to their neighbours where Jet 3 pages keep the links.
      for (uint32_t leaf : leaves) {
        jet::IndexPage p = PageAt(file, leaf);
        uint8_t* raw = file.data() + size_t{leaf} * kPage;
        put(leaf, p);
        const jet::Format& old = jet::Jet3Format();
        std::fill(raw + 8, raw + jet::Jet4Format().index_prefix_length, uint8_t{0});
        for (size_t i = 0; i < 4; ++i) {
          raw[old.index_prev + i] = static_cast<uint8_t>(p.prev >> (8 * i));
          raw[old.index_next + i] = static_cast<uint8_t>(p.next >> (8 * i));
        }
      }
      break;
    case Damage::kStaleRoot: {
      // The root loses all but its first child: most rows are unreachable.
      jet::IndexPage root = PageAt(file, x.root_page);
      ASSERT_FALSE(root.leaf());
      root.entries.resize(1);
      root.tail = 0;
      put(x.root_page, root);
      break;
    }
  }
  WriteFile(path, file);
}

const Case kCases[] = {
    {"EntriesLost", Damage::kEntriesLost, "Name", "has no entry", true},
    {"Access97Links", Damage::kAccess97Links, "CityName",
     "index 'CityName' of table 'People' is laid out with Access 97 offsets in an Access 2000 "
     "file; run tarnquill-cli repair",
     false},
    {"StaleRootOfUniqueIndex", Damage::kStaleRoot, "Code", "index 'Code'", true},
};

class DamagedIndex : public ::testing::TestWithParam<Case> {};

TEST_P(DamagedIndex, RepairRebuildsItAndKeepsEveryRow) {
  const Case& c = GetParam();
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(auto path, MakeFixtureDatabase(dir.path(), {PeopleTable(kRows, 11)}));
  const auto before = ReadTable(path, "People");
  const jet::IndexDef x = IndexNamed(path, c.index);
  Apply(c.damage, path, x);
  EXPECT_NE(CheckProblems(path).find(c.check_says), std::string::npos) << CheckProblems(path);

  if (c.modify_refused) {
    // The row whose entry is gone cannot be changed, and the refusal says
    // what to do about it.
    ASSERT_OK_AND_ASSIGN(auto db, jet::OpenDatabaseForUpdate(path, {}));
    auto table = db->FindTable("People");
    auto scan = db->Scan(*table);
    const size_t column = c.damage == Damage::kStaleRoot ? 3 : 1;
    jet::Status refused;
    for (int n = 0; refused.ok() && *(*scan)->Next(); ++n) {
      refused = db->UpdateRow(*table, (*scan)->id(), {{column, "Zed " + std::to_string(n)}});
    }
    EXPECT_TRUE(refused.IsCorruption()) << refused.ToString();
    EXPECT_NE(refused.message().find("run tarnquill-cli repair " + path + " --table People"),
              std::string::npos)
        << refused.message();
  }
  const auto damaged_rows = ReadTable(path, "People");

  ASSERT_OK_AND_ASSIGN(auto repaired, jet::RepairIndexes(path, {}));
  ASSERT_EQ(repaired.size(), 1u);
  EXPECT_EQ(repaired[0].name, "People");
  EXPECT_EQ(repaired[0].rebuild.indexes.size(), 4u);
  EXPECT_GT(repaired[0].rebuild.released_pages, 0u);
  for (const jet::RebuiltIndex& r : repaired[0].rebuild.indexes) {
    EXPECT_EQ(r.entries, static_cast<size_t>(kRows)) << r.name;
  }
  EXPECT_EQ(CheckProblems(path), "");
  EXPECT_EQ(ReadTable(path, "People"), damaged_rows);
  if (!c.modify_refused) {
    EXPECT_EQ(ReadTable(path, "People"), before);
  }
  EXPECT_FALSE(std::filesystem::exists(path + "-journal"));

  // The repaired indexes take updates again, and keep them.
  {
    ASSERT_OK_AND_ASSIGN(auto db, jet::OpenDatabaseForUpdate(path, {}));
    auto table = db->FindTable("People");
    auto scan = db->Scan(*table);
    for (int i = 0; i < 200 && *(*scan)->Next(); ++i) {
      ASSERT_TRUE(db->UpdateRow(*table, (*scan)->id(),
                                {{1, "renamed 名前 " + std::string(i % 30, 'x')},
                                 {3, "R" + std::to_string(i)}})
                      .ok());
    }
  }
  if (!HaveOracle()) GTEST_SKIP() << kNoOracle;
  EXPECT_TRUE(ReadersAgree(path));
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedIndex, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Marks the physical index rooted at `root` unique in the table definition.
void MarkUnique(const std::string& path, uint32_t definition, uint32_t root) {
  std::vector<uint8_t> file = ReadFileBytes(path);
  uint8_t* def = file.data() + size_t{definition} * kPage;
  const jet::Format& f = jet::Jet4Format();
  for (size_t at = 0; at + 4 <= kPage; ++at) {
    const uint32_t v = def[at] | (def[at + 1] << 8) | (def[at + 2] << 16) | (uint32_t{def[at + 3]} << 24);
    if (v != root) continue;
    def[at - f.real_index_root + f.real_index_flags] |= 0x01;
    WriteFile(path, file);
    return;
  }
  FAIL() << "root " << root << " not found in the definition";
}

TEST(Repair, RefusesRowsThatBreakAUniqueIndexAndWritesNothing) {
  TempDir dir;
  FixtureTable t = PeopleTable(kRows, 5);
  t.rows[10][3] = t.rows[3000][3] = std::string("C-same");
  t.spec.indexes[2].unique = false;
  ASSERT_OK_AND_ASSIGN(auto path, MakeFixtureDatabase(dir.path(), {t}));
  const jet::IndexDef code = IndexNamed(path, "Code");
  auto db = jet::Database::Open(path, {});
  MarkUnique(path, (*(*db)->FindTable("People")).definition_page, code.root_page);
  ASSERT_TRUE(IndexNamed(path, "Code").unique);
  const auto bytes = ReadFileBytes(path);

  auto repaired = jet::RepairIndexes(path, {"people"});
  ASSERT_FALSE(repaired.ok());
  EXPECT_EQ(repaired.status().code(), jet::Status::Code::kConstraint);
  EXPECT_NE(repaired.status().message().find("index 'Code'"), std::string::npos)
      << repaired.status().message();
  EXPECT_EQ(ReadFileBytes(path), bytes);
  EXPECT_FALSE(std::filesystem::exists(path + "-journal"));

  EXPECT_TRUE(jet::RepairIndexes(path, {"Nobody"}).status().IsNotFound());
  EXPECT_EQ(ReadFileBytes(path), bytes);
}

// Cut short at any point, a repair leaves the damaged file or the repaired
// one once the journal is rolled back, never a mix of the two.
TEST(Repair, EveryCutLeavesTheFileBeforeOrAfter) {
  TempDir dir;
  ASSERT_OK_AND_ASSIGN(auto path, MakeFixtureDatabase(dir.path(), {PeopleTable(1500, 9)}));
  Apply(Damage::kEntriesLost, path, IndexNamed(path, "CityName"));
  const std::vector<uint8_t> damaged = ReadFileBytes(path);
  const std::string kPath = "/db/people.mdb";
  jet::WriteOptions options;

  std::vector<uint8_t> repaired;
  uint64_t calls = 0;
  {
    jet::MemoryFileSystem mem;
    mem.Put(kPath, damaged);
    jet::FaultInjectingFileSystem counting(&mem);
    options.fs = &counting;
    ASSERT_TRUE(jet::RepairIndexes(kPath, {}, options).ok());
    calls = counting.budget().calls_made;
    repaired = mem.Contents(kPath);
  }
  ASSERT_NE(repaired, damaged);
  ASSERT_GT(calls, 5u);
  int before = 0, after = 0;
  for (uint64_t cut = 0; cut <= calls; cut += calls / 25 + 1) {
    SCOPED_TRACE("cut after " + std::to_string(cut) + " calls");
    jet::MemoryFileSystem mem;
    mem.Put(kPath, damaged);
    {
      jet::FaultInjectingFileSystem faulty(&mem);
      faulty.FailAfterCalls(cut);
      options.fs = &faulty;
      (void)jet::RepairIndexes(kPath, {}, options);
    }
    mem.LoseUnsyncedChanges();
    ASSERT_TRUE(jet::RecoverJournal(&mem, kPath).ok());
    const std::vector<uint8_t> now = mem.Contents(kPath);
    ASSERT_TRUE(now == damaged || now == repaired) << "a cut left a mix";
    (now == damaged ? before : after) += 1;
  }
  EXPECT_GT(before, 0);
  EXPECT_GT(after, 0);
  WriteFile(path, repaired);
  EXPECT_EQ(CheckProblems(path), "");
  if (!HaveOracle()) GTEST_SKIP() << kNoOracle;
  EXPECT_TRUE(ReadersAgree(path));
}

// Real Access files: every one is repaired (or refused without a change),
// keeps its rows and gains no problem; the ones with the password open with it.
TEST(Repair, CorpusFilesKeepTheirRowsAndGainNoProblem) {
  if (!jet::testing::HaveCorpus()) GTEST_SKIP() << "no corpus";
  int repaired = 0, refused = 0;
  for (const std::string& name : jet::testing::CorpusFiles({".mdb", ".accdb"})) {
    SCOPED_TRACE(name);
    const bool locked = name.find("with-password") != std::string::npos ||
                        name.find("encryption_office") != std::string::npos;
    const std::string password = locked ? "password" : "";
    const std::vector<uint8_t> original = jet::testing::ReadCorpusFile(name);
    auto opened = jet::testing::OpenImage(original, name, password);
    if (!opened.ok()) continue;  // files the reader refuses are not this test's
    auto rows = jet::testing::ExportAll(**opened);
    if (!rows.ok()) continue;
    ASSERT_OK_AND_ASSIGN(
        auto report,
        jet::CheckDatabase(std::make_unique<jet::MemoryByteSource>(original), password));
    const std::set<std::string> before(report.problems.begin(), report.problems.end());

    jet::MemoryFileSystem mem;
    const std::string path = "/corpus/" + std::filesystem::path(name).filename().string();
    mem.Put(path, original);
    jet::WriteOptions options;
    options.password = password;
    options.fs = &mem;
    auto done = jet::RepairIndexes(path, {}, options);
    const std::vector<uint8_t> now = mem.Contents(path);
    if (!done.ok()) {
      ++refused;
      EXPECT_TRUE(done.status().IsNotSupported() || done.status().IsCorruption() ||
                  done.status().code() == jet::Status::Code::kConstraint)
          << done.status().ToString();
      EXPECT_EQ(now, original) << "a refused repair changed the file";
      continue;
    }
    ++repaired;
    ASSERT_OK_AND_ASSIGN(auto reopened, jet::testing::OpenImage(now, name, password));
    EXPECT_EQ(jet::testing::ExportAll(*reopened).value(), *rows);
    ASSERT_OK_AND_ASSIGN(
        auto after, jet::CheckDatabase(std::make_unique<jet::MemoryByteSource>(now), password));
    for (const std::string& p : after.problems) {
      EXPECT_TRUE(before.count(p)) << "new problem: " << p;
    }
  }
  EXPECT_GT(repaired, 80);
  EXPECT_LT(refused, repaired / 4) << "most files should be repairable";
}

}  // namespace
