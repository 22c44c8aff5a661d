// What writes leave behind when things go wrong, and how files are shared:
// a full disk or an I/O error at any single call of an update, an import or
// a create; a crash cutting the recovery itself; other processes reading,
// writing, or holding Access's lock file.
//
// Crash safety: the same run of updates is cut off at every changing call and
// at many byte counts (the cut write torn), the unflushed data is lost as in a
// power cut, and the file is reopened. It must pass the integrity check and
// hold exactly the rows of the transactions committed so far (or of the one
// whose commit was under way), never a mix.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "jet/io/fault_injection.h"
#include "jet/io/memory_file_system.h"
#include "jet/jet.h"
#include "jet/write/journal_format.h"
#include "tests/jet/corpus.h"
#include "tests/support/access_lock.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"
#include "update_test_util.h"

namespace jet::testing {
namespace {

const std::string kPath = "/data/people.mdb";
using Rows = std::vector<std::vector<Value>>;

// The rows of `table` in a file image; none when it cannot be read.
Rows ReadRows(const std::vector<uint8_t>& bytes, const std::string& table = "People",
              std::vector<RowId>* ids = nullptr) {
  auto db = OpenDatabase(std::make_unique<MemoryByteSource>(bytes, kPath), OpenOptions{});
  if (!db.ok()) return {};
  auto t = (*db)->FindTable(table);
  if (!t.ok()) return {};
  return AllRows(**db, *t, ids);
}

// `run` on `mem`, cut after `at` changing calls (or bytes written, with
// `bytes`), then a power cut: only what was flushed stays.
void CutThenLosePower(MemoryFileSystem* mem, bool bytes, uint64_t at,
                      const std::function<void(FileSystem*)>& run) {
  {
    FaultInjectingFileSystem faulty(mem);
    bytes ? faulty.FailAfterBytes(at) : faulty.FailAfterCalls(at);
    run(&faulty);
  }
  mem->LoseUnsyncedChanges();
}

ColumnChanges ChangesFor(size_t row) {
  return {{kName, Value("full-" + std::to_string(row))},
          {kNotes, Value(std::string(5000 + row, 'f'))}};
}

// One change to the file, run twice on the same file system: the first run
// meets the fault, the second (the next Modify, once space is back) must work.
struct Operation {
  const char* name;
  std::function<Status(FileSystem*)> run;
  // Whether the rows show the change complete.
  std::function<bool(const std::vector<uint8_t>&)> done;
  // The next run after a failure, when it differs from the first.
  std::function<Status(FileSystem*)> again;
  // Closes what the runs left open.
  std::function<void()> close;
};

Status UpdateBatch(Database& db) {
  JET_ASSIGN_OR_RETURN(TableDef t, db.FindTable("People"));
  std::vector<RowId> ids;
  AllRows(db, t, &ids);
  JET_RETURN_IF_ERROR(db.BeginBatch());
  for (size_t r = 0; r < 8; ++r) {
    Status s = db.UpdateRow(t, ids[r], ChangesFor(r));
    if (!s.ok()) {
      (void)db.RollbackBatch();
      return s;
    }
  }
  return db.CommitBatch();
}

std::vector<Operation> Operations(const Rows& before) {
  auto held = std::make_shared<std::unique_ptr<Database>>();
  Rows updated = before;
  for (size_t r = 0; r < 8; ++r) {
    for (const auto& [c, v] : ChangesFor(r)) updated[r][c] = v;
  }
  std::vector<create::Row> imported;
  for (int i = 0; i < 30; ++i) {
    imported.push_back({int32_t{1000 + i}, std::string("imp-") + std::to_string(i),
                        std::string("成都"), std::string(3000, 'i'), 1.5 * i, i % 2 == 0});
  }
  Rows after_import = before;
  for (const auto& r : imported) after_import.push_back(r);
  return {
      {"update",
       [held](FileSystem* fs) {
         held->reset();
         JET_ASSIGN_OR_RETURN(*held, OpenDatabaseForUpdate(kPath, {.fs = fs}));
         return UpdateBatch(**held);
       },
       [updated](const std::vector<uint8_t>& bytes) {
         return ReadRows(bytes, "People") == updated;
       },
       // The window's next Modify goes through the connection it has open.
       [held](FileSystem* fs) {
         if (*held == nullptr) {
           JET_ASSIGN_OR_RETURN(*held, OpenDatabaseForUpdate(kPath, {.fs = fs}));
         }
         return UpdateBatch(**held);
       },
       [held] { held->reset(); }},
      {"import",
       [imported](FileSystem* fs) {
         JET_ASSIGN_OR_RETURN(auto appender, create::FileAppender::Open(kPath, {.fs = fs}));
         JET_ASSIGN_OR_RETURN(TableDef def, appender->FindTable("People"));
         JET_RETURN_IF_ERROR(appender->Append(&def, imported));
         return appender->Commit();
       },
       [after_import](const std::vector<uint8_t>& bytes) {
         return ReadRows(bytes, "People") == after_import;
       },
       nullptr, nullptr},
      {"create",
       [imported](FileSystem* fs) {
         JET_ASSIGN_OR_RETURN(auto builder, create::DatabaseBuilder::New({}));
         create::TableSpec spec;
         spec.name = "Fresh";
         spec.columns = {{.name = "Name", .type = ColumnType::kText, .max_length = 40}};
         JET_RETURN_IF_ERROR(builder->CreateTable(spec));
         JET_RETURN_IF_ERROR(builder->InsertRows("Fresh", {{std::string("a")}, {std::string("b")}}));
         return builder->Save(kPath, fs);
       },
       [](const std::vector<uint8_t>& bytes) { return ReadRows(bytes, "Fresh").size() == 2; },
       nullptr, nullptr},
  };
}

TEST(SafetyTest, AFullDiskOrAnIoErrorAnywhereLeavesTheFileBeforeOrAfterTheStep) {
  ASSERT_OK_AND_ASSIGN(auto original, PeopleDatabase(40));
  const Rows before = ReadRows(original, "People");
  for (const Operation& op : Operations(before)) {
    SCOPED_TRACE(op.name);
    uint64_t calls = 0;
    {
      MemoryFileSystem mem;
      mem.Put(kPath, original);
      FaultInjectingFileSystem counting(&mem);
      ASSERT_TRUE(op.run(&counting).ok());
      if (op.close) op.close();
      ASSERT_TRUE(op.done(mem.Contents(kPath)));
      calls = counting.budget().calls_made;
    }
    ASSERT_GT(calls, 3u);
    int failed = 0, left_after = 0;
    for (const char* cause : {"No space left on device", "Input/output error"}) {
      for (uint64_t at = 0; at < calls; ++at) {
        SCOPED_TRACE(std::string(cause) + " at call " + std::to_string(at));
        MemoryFileSystem mem;
        mem.Put(kPath, original);
        FaultInjectingFileSystem faulty(&mem);
        faulty.FailCallOnce(at, cause);
        Status s = op.run(&faulty);
        const std::vector<uint8_t> bytes = mem.Contents(kPath);
        if (!s.ok()) {
          ++failed;
          EXPECT_NE(s.message().find(kPath), std::string::npos) << s.message();
          EXPECT_NE(s.message().find(cause), std::string::npos) << s.message();
          if (bytes != original) {
            ASSERT_TRUE(op.done(bytes)) << "neither before nor after: " << s.message();
            ++left_after;
          }
        } else {
          ASSERT_TRUE(op.done(bytes));
        }
        // Space is back: the next run works and leaves nothing to roll back.
        // (Updates may repeat what a failure after the commit point kept.)
        if (!s.ok() && (bytes == original || op.again)) {
          Status again = op.again ? op.again(&faulty) : op.run(&faulty);
          ASSERT_TRUE(again.ok()) << again.ToString();
        }
        if (op.close) op.close();
        const std::vector<uint8_t> final_bytes = mem.Contents(kPath);
        ASSERT_TRUE(op.done(final_bytes));
        EXPECT_FALSE(*HasHotJournal(&mem, kPath));
        ASSERT_NO_FATAL_FAILURE(ExpectSoundImage(final_bytes, "", kPath));
      }
    }
    EXPECT_GT(failed, 0);
    // The last flushes come after the commit point (or the rename): some
    // faults there are reported although the change is complete.
    EXPECT_LT(left_after, failed);
  }
  // The independent checker sees the last of the files as Access would.
  tarnquill::testing::TempDir dir;
  MemoryFileSystem mem;
  mem.Put(kPath, original);
  ASSERT_TRUE(Operations(before)[1].run(&mem).ok());
  ASSERT_TRUE(WriteFile(dir.File("imported.mdb"), mem.Contents(kPath)));
  tarnquill::testing::ExpectOracleAccepts(dir.File("imported.mdb"));
}

// A crash during recovery leaves a journal the next open recovers again: cut
// the rollback at every changing call, lose what was not flushed, open again.
TEST(SafetyTest, ACrashDuringRecoveryIsRecoveredByTheNextOpen) {
  ASSERT_OK_AND_ASSIGN(auto original, PeopleDatabase(40));
  const Operation update = Operations(ReadRows(original, "People"))[0];
  // A crash in the middle of the update: pages written, journal hot.
  std::vector<uint8_t> crashed_db, crashed_journal;
  for (uint64_t cut = 1; crashed_journal.empty(); ++cut) {
    ASSERT_LT(cut, 200u) << "no cut left a journal to roll back";
    MemoryFileSystem mem;
    mem.Put(kPath, original);
    CutThenLosePower(&mem, false, cut, [&](FileSystem* fs) {
      (void)update.run(fs);
      update.close();
    });
    if (*HasHotJournal(&mem, kPath) && mem.Contents(kPath) != original) {
      crashed_db = mem.Contents(kPath);
      crashed_journal = mem.Contents(journal::PathFor(kPath));
    }
  }
  bool finished = false;
  for (uint64_t cut = 0; !finished; ++cut) {
    SCOPED_TRACE("recovery cut at call " + std::to_string(cut));
    ASSERT_LT(cut, 100u);
    MemoryFileSystem mem;
    mem.Put(kPath, crashed_db);
    mem.Put(journal::PathFor(kPath), crashed_journal);
    CutThenLosePower(&mem, false, cut, [&](FileSystem* fs) {
      finished = OpenDatabaseForReading(kPath, OpenOptions{}, fs).ok();
    });
    ASSERT_OK_AND_ASSIGN(auto db, OpenDatabaseForReading(kPath, OpenOptions{}, &mem));
    ASSERT_EQ(mem.Contents(kPath), original);
    // An emptied journal whose removal was lost may stay: it holds nothing.
    EXPECT_FALSE(*HasHotJournal(&mem, kPath));
  }
}

using Child = tarnquill::testing::ChildProcess;

TEST(SafetyTest, ReadersShareAFileAndAWriterWaitsForOtherProcesses) {
  tarnquill::testing::TempDir dir;
  const std::string path = dir.File("shared.mdb");
  ASSERT_OK_AND_ASSIGN(auto original, PeopleDatabase(20));
  ASSERT_TRUE(WriteFile(path, original));
  auto rows_seen = [&]() -> char {
    auto db = OpenDatabaseForReading(path, OpenOptions{});
    if (!db.ok()) return 'e';
    auto t = (*db)->FindTable("People");
    return t.ok() && AllRows(**db, *t).size() == 20 ? 'y' : 'n';
  };
  WriteOptions quick;
  quick.wait = std::chrono::milliseconds(200);
  auto change = [&](Database& db, const std::string& name) {
    auto t = db.FindTable("People");
    EXPECT_TRUE(t.ok());
    std::vector<RowId> ids;
    AllRows(db, *t, &ids);
    return db.UpdateRow(*t, ids[0], {{kName, Value(name)}});
  };
  {
    // Another process reads: we read too, and may open for writing, but a
    // change waits, then fails naming that process, and writes nothing.
    Child reader([&]() -> char {
      static std::unique_ptr<Database> held;
      auto db = OpenDatabaseForReading(path, OpenOptions{});
      if (!db.ok()) return 'e';
      held = std::move(db).value();
      return 'y';
    });
    ASSERT_EQ(reader.ready(), 'y');
    EXPECT_EQ(rows_seen(), 'y');
    ASSERT_OK_AND_ASSIGN(auto db, OpenDatabaseForUpdate(path, quick));
    Status s = change(*db, "blocked");
    EXPECT_EQ(s.code(), Status::Code::kLocked);
    EXPECT_NE(s.message().find(path), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("process " + std::to_string(reader.pid())), std::string::npos)
        << s.message();
    EXPECT_EQ(ReadFileBytes(path), original);
    reader.Done();
    // Once it has closed the file, the same open writes.
    ASSERT_TRUE(change(*db, "free").ok());
    // Between steps the writer only shares the file: others read it.
    Child second(rows_seen);
    EXPECT_EQ(second.ready(), 'y');
  }
  {
    // Access holds its lock file: reading works, writing is refused.
    const std::string ldb = dir.File("shared.ldb");
    WriteFile(ldb, std::vector<uint8_t>(64, 'M'));
    tarnquill::testing::AccessLockHolder access(ldb);
    ASSERT_TRUE(access.holding());
    EXPECT_EQ(rows_seen(), 'y');
    auto db = OpenDatabaseForUpdate(path, quick);
    ASSERT_EQ(db.status().code(), Status::Code::kLocked);
    EXPECT_NE(db.status().message().find("open in Access"), std::string::npos)
        << db.status().message();
    access.Release();
    // A lock file nobody holds is a leftover and does not block.
    EXPECT_TRUE(OpenDatabaseForUpdate(path, quick).ok());
  }
  tarnquill::testing::ExpectOracleAccepts(path);
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
  ASSERT_OK_AND_ASSIGN(auto original, PeopleDatabase(40));
  std::vector<RowId> ids;
  std::vector<Rows> states{ReadRows(original, "People", &ids)};
  ASSERT_EQ(ids.size(), 40u);
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
    mem.Put(kPath, original);
    FaultInjectingFileSystem faulty(&mem);
    ASSERT_EQ(RunWorkload(&faulty, ids), 3);
    total = faulty.budget();
    EXPECT_EQ(ReadRows(mem.Contents(kPath)), states.back());
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
  std::vector<int> reached(states.size(), 0);
  bool judged[2] = {false, false};
  for (const Cut& cut : cuts) {
    SCOPED_TRACE((cut.bytes ? "bytes " : "calls ") + std::to_string(cut.at));
    MemoryFileSystem mem;
    mem.Put(kPath, original);
    int committed = 0;
    CutThenLosePower(&mem, cut.bytes, cut.at,
                     [&](FileSystem* fs) { committed = RunWorkload(fs, ids); });
    {
      // Reopening rolls back whatever the cut left half done.
      ASSERT_OK_AND_ASSIGN(auto db, OpenForUpdateOn(&mem, kPath));
    }
    std::vector<uint8_t> image = mem.Contents(kPath);
    Rows rows = ReadRows(image);
    int state = -1;
    for (size_t k = 0; k < states.size(); ++k) {
      if (rows == states[k]) state = static_cast<int>(k);
    }
    ASSERT_NE(state, -1) << "the rows match no committed state";
    EXPECT_GE(state, committed);
    EXPECT_LE(state, committed + 1);
    ++reached[static_cast<size_t>(state)];
    ASSERT_NO_FATAL_FAILURE(ExpectSoundImage(image, "", kPath));
    // The independent reader judges the first recovered file of each kind
    // (rolled back, or kept): each look costs a process start.
    if (tarnquill::testing::HaveOracle() && !judged[state > 0]) {
      judged[state > 0] = true;
      EXPECT_TRUE(tarnquill::testing::ReadersAgree(image, "crash.mdb"));
    }
  }
  // The cuts fall before, between and after the transactions: each state is
  // what some cut left.
  for (size_t k = 0; k < states.size(); ++k) EXPECT_GT(reached[k], 0) << "state " << k;
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
    ASSERT_NO_FATAL_FAILURE(ExpectSoundImage(finished, "password", path));
    int rolled_back = 0;
    for (uint64_t cut = 0; cut < counting.budget().calls_made; ++cut) {
      MemoryFileSystem mem;
      mem.Put(path, original);
      CutThenLosePower(&mem, false, cut, [&](FileSystem* fs) { (void)run(fs); });
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
