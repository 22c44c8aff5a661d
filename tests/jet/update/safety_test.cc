// What writes leave behind when things go wrong, and how files are shared:
// a full disk or an I/O error at any single call of an update, an import or
// a create; a crash cutting the recovery itself; other processes reading,
// writing, or holding Access's lock file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "fixture.h"
#include "jet/io/fault_injection.h"
#include "jet/io/memory_file_system.h"
#include "jet/jet.h"
#include "jet/write/journal_format.h"
#include "tests/support/access_lock.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"
#include "update_test_util.h"

namespace jet::testing {
namespace {

const std::string kPath = "/data/people.mdb";
using Rows = std::vector<std::vector<Value>>;

Rows ReadRows(const std::vector<uint8_t>& bytes, const std::string& table) {
  auto db = OpenDatabase(std::make_unique<MemoryByteSource>(bytes, kPath), OpenOptions{});
  if (!db.ok()) return {};
  auto t = (*db)->FindTable(table);
  if (!t.ok()) return {};
  return AllRows(**db, *t);
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
         WriteOptions options;
         options.fs = fs;
         JET_ASSIGN_OR_RETURN(*held, OpenDatabaseForUpdate(kPath, options));
         return UpdateBatch(**held);
       },
       [updated](const std::vector<uint8_t>& bytes) {
         return ReadRows(bytes, "People") == updated;
       },
       // The window's next Modify goes through the connection it has open.
       [held](FileSystem* fs) {
         if (*held == nullptr) {
           WriteOptions options;
           options.fs = fs;
           JET_ASSIGN_OR_RETURN(*held, OpenDatabaseForUpdate(kPath, options));
         }
         return UpdateBatch(**held);
       },
       [held] { held->reset(); }},
      {"import",
       [imported](FileSystem* fs) {
         WriteOptions options;
         options.fs = fs;
         JET_ASSIGN_OR_RETURN(auto appender, create::FileAppender::Open(kPath, options));
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
  auto original = PeopleDatabase(40);
  ASSERT_TRUE(original.ok()) << original.status().ToString();
  const Rows before = ReadRows(*original, "People");
  for (const Operation& op : Operations(before)) {
    SCOPED_TRACE(op.name);
    uint64_t calls = 0;
    {
      MemoryFileSystem mem;
      mem.Put(kPath, *original);
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
        mem.Put(kPath, *original);
        FaultInjectingFileSystem faulty(&mem);
        faulty.FailCallOnce(at, cause);
        Status s = op.run(&faulty);
        const std::vector<uint8_t> bytes = mem.Contents(kPath);
        if (!s.ok()) {
          ++failed;
          EXPECT_NE(s.message().find(kPath), std::string::npos) << s.message();
          EXPECT_NE(s.message().find(cause), std::string::npos) << s.message();
          if (bytes != *original) {
            ASSERT_TRUE(op.done(bytes)) << "neither before nor after: " << s.message();
            ++left_after;
          }
        } else {
          ASSERT_TRUE(op.done(bytes));
        }
        // Space is back: the next run works and leaves nothing to roll back.
        // (Updates may repeat what a failure after the commit point kept.)
        if (!s.ok() && (bytes == *original || op.again)) {
          Status again = op.again ? op.again(&faulty) : op.run(&faulty);
          ASSERT_TRUE(again.ok()) << again.ToString();
        }
        if (op.close) op.close();
        const std::vector<uint8_t> final_bytes = mem.Contents(kPath);
        ASSERT_TRUE(op.done(final_bytes));
        EXPECT_FALSE(*HasHotJournal(&mem, kPath));
        auto report = CheckDatabase(std::make_unique<MemoryByteSource>(final_bytes, kPath), "");
        ASSERT_TRUE(report.ok()) << report.status().ToString();
        for (const auto& p : report->problems) ADD_FAILURE() << p;
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
  mem.Put(kPath, *original);
  ASSERT_TRUE(Operations(before)[1].run(&mem).ok());
  ASSERT_TRUE(WriteFile(dir.File("imported.mdb"), mem.Contents(kPath)));
  if (tarnquill::testing::HaveOracle()) {
    EXPECT_TRUE(tarnquill::testing::OracleCheck(dir.File("imported.mdb")));
  }
}

// A crash during recovery leaves a journal the next open recovers again: cut
// the rollback at every changing call, lose what was not flushed, open again.
TEST(SafetyTest, ACrashDuringRecoveryIsRecoveredByTheNextOpen) {
  auto original = PeopleDatabase(40);
  ASSERT_TRUE(original.ok()) << original.status().ToString();
  const Operation update = Operations(ReadRows(*original, "People"))[0];
  // A crash in the middle of the update: pages written, journal hot.
  std::vector<uint8_t> crashed_db, crashed_journal;
  for (uint64_t cut = 1; crashed_journal.empty(); ++cut) {
    ASSERT_LT(cut, 200u) << "no cut left a journal to roll back";
    MemoryFileSystem mem;
    mem.Put(kPath, *original);
    {
      FaultInjectingFileSystem faulty(&mem);
      faulty.FailAfterCalls(cut);
      (void)update.run(&faulty);
      update.close();
    }
    mem.LoseUnsyncedChanges();
    if (*HasHotJournal(&mem, kPath) && mem.Contents(kPath) != *original) {
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
    {
      FaultInjectingFileSystem faulty(&mem);
      faulty.FailAfterCalls(cut);
      finished = OpenDatabaseForReading(kPath, OpenOptions{}, &faulty).ok();
    }
    mem.LoseUnsyncedChanges();
    auto db = OpenDatabaseForReading(kPath, OpenOptions{}, &mem);
    ASSERT_TRUE(db.ok()) << db.status().ToString();
    ASSERT_EQ(mem.Contents(kPath), *original);
    // An emptied journal whose removal was lost may stay: it holds nothing.
    EXPECT_FALSE(*HasHotJournal(&mem, kPath));
  }
}

// Runs `body` in a child process that reports back one byte; the parent gets
// `ready` once the child has done its part, and tells it to finish with Done.
class Child {
 public:
  explicit Child(const std::function<char()>& body) {
    EXPECT_EQ(pipe(up_), 0);
    EXPECT_EQ(pipe(down_), 0);
    pid_ = fork();
    if (pid_ == 0) {
      char c = body();
      (void)!write(up_[1], &c, 1);
      (void)!read(down_[0], &c, 1);
      _exit(0);
    }
    EXPECT_EQ(read(up_[0], &ready_, 1), 1);
  }
  ~Child() { Done(); }
  void Done() {
    if (pid_ <= 0) return;
    (void)!write(down_[1], "x", 1);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    for (int fd : {up_[0], up_[1], down_[0], down_[1]}) close(fd);
  }
  char ready() const { return ready_; }
  pid_t pid() const { return pid_; }

 private:
  int up_[2], down_[2];
  pid_t pid_ = -1;
  char ready_ = 0;
};

TEST(SafetyTest, ReadersShareAFileAndAWriterWaitsForOtherProcesses) {
  tarnquill::testing::TempDir dir;
  const std::string path = dir.File("shared.mdb");
  auto original = PeopleDatabase(20);
  ASSERT_TRUE(original.ok());
  ASSERT_TRUE(WriteFile(path, *original));
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
    auto db = OpenDatabaseForUpdate(path, quick);
    ASSERT_TRUE(db.ok()) << db.status().ToString();
    Status s = change(**db, "blocked");
    EXPECT_EQ(s.code(), Status::Code::kLocked);
    EXPECT_NE(s.message().find(path), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("process " + std::to_string(reader.pid())), std::string::npos)
        << s.message();
    EXPECT_EQ(ReadFileBytes(path), *original);
    reader.Done();
    // Once it has closed the file, the same open writes.
    ASSERT_TRUE(change(**db, "free").ok());
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
  if (tarnquill::testing::HaveOracle()) {
    EXPECT_TRUE(tarnquill::testing::OracleCheck(path));
  }
}

}  // namespace
}  // namespace jet::testing
