// Crash safety: the same run of updates is cut off at every changing call and
// at many byte counts (the cut write torn), the unflushed data is lost as in a
// power cut, and the file is reopened. It must pass the integrity check and
// hold exactly the rows of the transactions committed so far (or of the one
// whose commit was under way), never a mix.
#include <gtest/gtest.h>

#include "fixture.h"
#include "jet/io/fault_injection.h"
#include "jet/io/memory_file_system.h"
#include "jet/update/integrity_check.h"
#include "jet/update/writable_database.h"
#include "tests/jet/corpus.h"
#include "tests/support/external_readers.h"
#include "update_test_util.h"

namespace jet::testing {
namespace {

const std::string kPath = "/data/people.mdb";
using Rows = std::vector<std::vector<Value>>;

Rows ReadImage(const std::vector<uint8_t>& bytes, std::vector<RowId>* ids = nullptr) {
  auto db = OpenDatabase(std::make_unique<MemoryByteSource>(bytes, kPath), OpenOptions{});
  EXPECT_TRUE(db.ok()) << db.status().ToString();
  if (!db.ok()) return {};
  auto t = (*db)->FindTable("People");
  EXPECT_TRUE(t.ok());
  return AllRows(**db, *t, ids);
}

// The transactions of the run: a batch over ten rows, then two single updates.
std::vector<std::vector<std::pair<size_t, ColumnChanges>>> Transactions() {
  std::vector<std::pair<size_t, ColumnChanges>> batch;
  for (size_t r = 0; r < 10; ++r) {
    batch.push_back({r,
                     {{kName, Value("crash-" + std::to_string(r) + std::string(20, 'z'))},
                      {kNotes, Value(std::string(6000 + r, 'n'))},
                      {kCity, Value(std::string("迁移"))}}});
  }
  return {batch,
          {{20, {{kNotes, Value(std::string(20000, 'c'))}}}},
          {{21, {{kName, Value(std::string("最后"))}, {kActive, Value(true)}}}}};
}

// Runs the transactions; returns how many committed without error.
int RunWorkload(FileSystem* fs, const std::vector<RowId>& ids) {
  auto db = OpenForUpdateOn(fs, kPath);
  if (!db.ok()) return 0;
  auto t = (*db)->FindTable("People");
  if (!t.ok()) return 0;
  int committed = 0;
  for (const auto& txn : Transactions()) {
    bool batch = txn.size() > 1;
    if (batch && !(*db)->BeginBatch().ok()) return committed;
    for (const auto& [row, changes] : txn) {
      if (!(*db)->UpdateRow(*t, ids[row], changes).ok()) return committed;
    }
    if (batch && !(*db)->CommitBatch().ok()) return committed;
    ++committed;
  }
  return committed;
}

TEST(CrashTest, EveryCutLeavesACommittedStateThatPassesTheCheck) {
  auto original = PeopleDatabase(40);
  ASSERT_TRUE(original.ok()) << original.status().ToString();
  std::vector<RowId> ids;
  std::vector<Rows> states{ReadImage(*original, &ids)};
  for (const auto& txn : Transactions()) {
    Rows next = states.back();
    for (const auto& [row, changes] : txn) {
      for (const auto& [c, v] : changes) next[row][c] = v;
    }
    states.push_back(next);
  }

  // A full run, to learn how many calls and bytes there are to cut.
  FaultBudget total;
  {
    MemoryFileSystem mem;
    mem.Put(kPath, *original);
    FaultInjectingFileSystem faulty(&mem);
    ASSERT_EQ(RunWorkload(&faulty, ids), 3);
    total = faulty.budget();
    EXPECT_EQ(ReadImage(mem.Contents(kPath)), states.back());
  }
  ASSERT_GT(total.calls_made, 10u);

  struct Cut {
    bool bytes;
    uint64_t at;
  };
  std::vector<Cut> cuts;
  for (uint64_t c = 0; c <= total.calls_made; ++c) cuts.push_back({false, c});
  for (uint64_t b = 0; b < total.bytes_written; b += total.bytes_written / 60 + 1) {
    cuts.push_back({true, b});
  }
  int reached_new = 0;
  bool judged[2] = {false, false};
  for (const Cut& cut : cuts) {
    SCOPED_TRACE((cut.bytes ? "bytes " : "calls ") + std::to_string(cut.at));
    MemoryFileSystem mem;
    mem.Put(kPath, *original);
    int committed = 0;
    {
      FaultInjectingFileSystem faulty(&mem);
      if (cut.bytes) {
        faulty.FailAfterBytes(cut.at);
      } else {
        faulty.FailAfterCalls(cut.at);
      }
      committed = RunWorkload(&faulty, ids);
    }
    mem.LoseUnsyncedChanges();
    {
      // Reopening rolls back whatever the cut left half done.
      auto db = OpenForUpdateOn(&mem, kPath);
      ASSERT_TRUE(db.ok()) << db.status().ToString();
    }
    std::vector<uint8_t> image = mem.Contents(kPath);
    Rows rows = ReadImage(image);
    int state = -1;
    for (size_t k = 0; k < states.size(); ++k) {
      if (rows == states[k]) state = static_cast<int>(k);
    }
    ASSERT_NE(state, -1) << "the rows match no committed state";
    EXPECT_GE(state, committed);
    EXPECT_LE(state, committed + 1);
    reached_new += state > 0;
    auto report = CheckDatabase(std::make_unique<MemoryByteSource>(image, kPath), "");
    ASSERT_TRUE(report.ok()) << report.status().ToString();
    for (const auto& p : report->problems) ADD_FAILURE() << p;
    // The independent reader judges the first recovered file of each kind
    // (rolled back, or kept): each look costs a process start.
    if (tarnquill::testing::HaveOracle() && !judged[state > 0]) {
      judged[state > 0] = true;
      EXPECT_TRUE(tarnquill::testing::ReadersAgree(image, "crash.mdb"));
    }
  }
  EXPECT_GT(reached_new, 0);
}

// Encrypted .accdb files (RC4 and AES pages): the journal keeps the pages as
// the file had them, encrypted, so a cut anywhere leaves, after the next
// open, either the original file byte for byte or the finished update.
TEST(CrashTest, EncryptedFilesRollBackByteForByte) {
  if (!HaveCorpus()) GTEST_SKIP() << "no corpus";
  const std::string path = "/data/locked.accdb";
  for (const char* file : {"mdb-reader/encryption_office-agile-4.2.accdb",
                           "mdb-reader/encryption_office-agile-4.4.accdb"}) {
    SCOPED_TRACE(file);
    const std::vector<uint8_t> original = ReadCorpusFile(file);
    WriteOptions options;
    options.password = "password";
    // Every row's text grows to the field's limit.
    auto run = [&](FileSystem* fs) {
      options.fs = fs;
      auto db = OpenDatabaseForUpdate(path, options);
      if (!db.ok()) return false;
      auto t = (*db)->FindTable("Table1");
      if (!t.ok() || !(*db)->BeginBatch().ok()) return false;
      std::vector<RowId> ids;
      const auto rows = AllRows(**db, *t, &ids);
      for (RowId id : ids) {
        if (!(*db)->UpdateRow(*t, id, {{1, Value(std::string(255, 'e'))}}).ok()) return false;
      }
      return (*db)->CommitBatch().ok();
    };
    MemoryFileSystem done;
    done.Put(path, original);
    FaultInjectingFileSystem counting(&done);
    ASSERT_TRUE(run(&counting));
    const std::vector<uint8_t> finished = done.Contents(path);
    ASSERT_NE(finished, original);
    auto report = CheckDatabase(std::make_unique<MemoryByteSource>(finished, path), "password");
    ASSERT_TRUE(report.ok()) << report.status().ToString();
    EXPECT_TRUE(report->problems.empty()) << report->problems.front();
    int rolled_back = 0;
    for (uint64_t cut = 0; cut < counting.budget().calls_made; ++cut) {
      MemoryFileSystem mem;
      mem.Put(path, original);
      {
        FaultInjectingFileSystem faulty(&mem);
        faulty.FailAfterCalls(cut);
        (void)run(&faulty);
      }
      mem.LoseUnsyncedChanges();
      options.fs = &mem;
      ASSERT_TRUE(OpenDatabaseForUpdate(path, options).ok()) << "cut " << cut;
      const std::vector<uint8_t> image = mem.Contents(path);
      EXPECT_TRUE(image == original || image == finished) << "cut " << cut;
      rolled_back += image == original;
    }
    EXPECT_GT(rolled_back, 0);
  }
}

}  // namespace
}  // namespace jet::testing
