// Transactions over pages: what a transaction sees, commit and rollback,
// spilling before the commit, the journal left by a crash, the number of
// flushes a large batch costs, and cuts at every write followed by a power
// loss.
#include "jet/write/journaled_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "jet/io/fault_injection.h"
#include "jet/io/memory_file_system.h"
#include "jet/write/journal_format.h"
#include "jet/write/journaled_source.h"
#include "tests/support/temp_dir.h"

namespace jet {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kPage = 512;

Bytes Image(uint32_t pages, uint8_t seed) {
  Bytes b(size_t{pages} * kPage);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(seed + i * 7 + i / kPage);
  return b;
}

Bytes PageOf(uint8_t fill) { return Bytes(kPage, fill); }

void SetPageOf(Bytes* image, uint32_t page, uint8_t fill) {
  if (image->size() < size_t{page + 1} * kPage) image->resize(size_t{page + 1} * kPage);
  std::fill(image->begin() + size_t{page} * kPage, image->begin() + size_t{page + 1} * kPage, fill);
}

// A journal header as a transaction on Image(4, 1) writes it.
journal::Header HeaderFor(uint64_t original_size, uint32_t salt) {
  const Bytes original = Image(4, 1);
  return {kPage, original_size, salt, journal::Fingerprint(original.data(), kPage)};
}

class JournaledFileTest : public ::testing::Test {
 protected:
  void SetUp() override { fs_.Put("db.mdb", Image(4, 1)); }
  // Recovers first, as every writer's open does.
  std::unique_ptr<JournaledFile> OpenDb(JournalOptions options = {}) {
    EXPECT_TRUE(RecoverJournal(&fs_, "db.mdb").ok());
    auto f = JournaledFile::Open(&fs_, "db.mdb", kPage, options);
    EXPECT_TRUE(f.ok()) << f.status().ToString();
    return f.ok() ? std::move(*f) : nullptr;
  }
  MemoryFileSystem fs_;
};

// A transaction and its byte-source view see its writes, across pages and
// appended ones; misuse is refused; the file sees nothing until the commit.
TEST_F(JournaledFileTest, CommitMakesChangesAndAppendsVisible) {
  auto db = OpenDb();
  JournaledFileSource source(db.get(), "db.mdb");
  EXPECT_EQ(db->WritePage(0, PageOf(1).data()).code(), Status::Code::kInvalidArgument);
  ASSERT_TRUE(db->Begin().ok());
  EXPECT_FALSE(db->Begin().ok());
  EXPECT_EQ(db->WritePage(6, PageOf(1).data()).code(), Status::Code::kInvalidArgument);
  Bytes got(kPage + 20);
  EXPECT_TRUE(db->ReadPage(9, got.data()).IsCorruption());
  ASSERT_TRUE(db->WritePage(1, PageOf(0xAB).data()).ok());
  ASSERT_TRUE(db->WritePage(4, PageOf(0xCD).data()).ok());  // append
  EXPECT_EQ(db->page_count(), 5u);
  ASSERT_TRUE(db->ReadPage(1, got.data()).ok());
  EXPECT_EQ(Bytes(got.begin(), got.begin() + kPage), PageOf(0xAB));
  EXPECT_EQ(source.size(), 5u * kPage);
  ASSERT_TRUE(source.ReadAt(2 * kPage - 10, got.size(), got.data()).ok());
  EXPECT_EQ(got[0], 0xAB);
  EXPECT_EQ(got[9], 0xAB);
  EXPECT_EQ(got[10], Image(4, 1)[2 * kPage]);
  ASSERT_TRUE(source.ReadAt(4 * kPage, 1, got.data()).ok());
  EXPECT_EQ(got[0], 0xCD);
  EXPECT_TRUE(source.ReadAt(5 * kPage - 1, 2, got.data()).IsCorruption());
  // Nothing reaches the file before the commit.
  EXPECT_EQ(fs_.Contents("db.mdb"), Image(4, 1));
  ASSERT_TRUE(db->Commit().ok());
  Bytes expect = Image(4, 1);
  SetPageOf(&expect, 1, 0xAB);
  SetPageOf(&expect, 4, 0xCD);
  EXPECT_EQ(fs_.Contents("db.mdb"), expect);
  db.reset();
  EXPECT_FALSE(*fs_.Exists("db.mdb-journal"));
}

TEST_F(JournaledFileTest, RollbackUndoesSpilledPagesAndReadsOverlayPendingOnes) {
  auto db = OpenDb(JournalOptions{2});
  ASSERT_TRUE(db->Begin().ok());
  for (uint32_t p = 0; p < 6; ++p) ASSERT_TRUE(db->WritePage(p, PageOf(uint8_t(p)).data()).ok());
  EXPECT_NE(fs_.Contents("db.mdb"), Image(4, 1));  // spilled
  ASSERT_TRUE(db->Rollback().ok());
  EXPECT_EQ(fs_.Contents("db.mdb"), Image(4, 1));
  EXPECT_EQ(db->page_count(), 4u);
  // The file stays usable.
  ASSERT_TRUE(db->Begin().ok());
  ASSERT_TRUE(db->WritePage(0, PageOf(5).data()).ok());
  ASSERT_TRUE(db->Commit().ok());
  const Bytes after = fs_.Contents("db.mdb");
  EXPECT_EQ(Bytes(after.begin(), after.begin() + kPage), PageOf(5));
  // Whole-page reads overlay pending, appended and spilled pages.
  db.reset();
  // With room for 2 pending pages, pages 1, 4 and 5 reach the file early
  // and only page 2 stays pending; without, all stay in memory and pages 4
  // and 5 exist nowhere on disk.
  for (size_t max_pending : {size_t{100}, size_t{2}}) {
    SCOPED_TRACE("max pending " + std::to_string(max_pending));
    fs_.Put("db.mdb", Image(4, 1));
    auto db = OpenDb(JournalOptions{max_pending});
    JournaledFileSource source(db.get(), "db.mdb");
    ASSERT_TRUE(db->Begin().ok());
    Bytes expect = Image(4, 1);
    for (auto [page, fill] : {std::pair{1u, 0x11}, {4u, 0x44}, {5u, 0x55}, {2u, 0x22}}) {
      ASSERT_TRUE(db->WritePage(page, PageOf(uint8_t(fill)).data()).ok());
      SetPageOf(&expect, page, uint8_t(fill));
    }
    Bytes got(expect.size());
    ASSERT_TRUE(source.ReadAt(0, got.size(), got.data()).ok());
    EXPECT_EQ(got, expect);
    ASSERT_TRUE(source.ReadAt(4 * kPage, 2 * kPage, got.data()).ok());
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 2 * kPage),
              Bytes(expect.begin() + 4 * kPage, expect.end()));
    EXPECT_TRUE(source.ReadAt(5 * kPage, 2 * kPage, got.data()).IsCorruption());
    ASSERT_TRUE(db->Rollback().ok());
    db.reset();
  }
}

TEST_F(JournaledFileTest, FailureAfterTheCommitPointIsNotReportedAsRolledBack) {
  // Count the changing calls of one commit, then fail the last one: the
  // flush of the emptied journal.
  auto run = [](FileSystem* fs) {
    auto db = JournaledFile::Open(fs, "db.mdb", kPage);
    EXPECT_TRUE(db.ok());
    EXPECT_TRUE((*db)->Begin().ok());
    EXPECT_TRUE((*db)->WritePage(2, PageOf(0x22).data()).ok());
    return std::make_pair((*db)->Commit(), std::move(*db));
  };
  uint64_t calls;
  {
    MemoryFileSystem base;
    base.Put("db.mdb", Image(4, 1));
    FaultInjectingFileSystem counter(&base);
    auto [status, db] = run(&counter);
    ASSERT_TRUE(status.ok());
    calls = counter.budget().calls_made;
  }
  FaultInjectingFileSystem faulty(&fs_);
  faulty.FailAfterCalls(calls - 1);
  auto [status, db] = run(&faulty);
  ASSERT_EQ(status.code(), Status::Code::kIOError);
  EXPECT_NE(status.message().find("may not be durable"), std::string::npos) << status.message();
  EXPECT_NE(db->Begin().message().find("reopened"), std::string::npos);
  db.reset();
  Bytes after = Image(4, 1);
  SetPageOf(&after, 2, 0x22);
  EXPECT_EQ(fs_.Contents("db.mdb"), after);
}

TEST_F(JournaledFileTest, ABatchOfThousandsOfPageWritesCostsAFewFlushes) {
  auto db = OpenDb(JournalOptions{100000});
  const uint64_t before = db->stats().syncs;
  ASSERT_TRUE(db->Begin().ok());
  for (int i = 0; i < 5000; ++i) {
    ASSERT_TRUE(db->WritePage(uint32_t(i % 4), PageOf(uint8_t(i)).data()).ok());
  }
  ASSERT_TRUE(db->Commit().ok());
  // The journal, the database, the emptied journal.
  EXPECT_EQ(db->stats().syncs - before, 3u);
  EXPECT_EQ(db->stats().pages_journaled, 4u);
}

// More pending pages than one block of buffers holds keep their own
// contents, before and after the commit, also once the next transaction
// takes the same buffers again.
TEST_F(JournaledFileTest, ThousandsOfPendingPagesKeepTheirOwnContents) {
  auto db = OpenDb(JournalOptions{100000});
  constexpr uint32_t kPages = 5000;
  Bytes expected;
  for (uint8_t round : {uint8_t{1}, uint8_t{2}}) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(db->Begin().ok());
    for (uint32_t p = 0; p < kPages; ++p) {
      SetPageOf(&expected, p, round);
      std::memcpy(expected.data() + size_t{p} * kPage, &p, sizeof p);
      ASSERT_TRUE(db->WritePage(p, expected.data() + size_t{p} * kPage).ok());
    }
    Bytes seen(expected.size());
    ASSERT_TRUE(db->ReadPages(0, kPages, seen.data()).ok());
    EXPECT_EQ(seen, expected);
    ASSERT_TRUE(db->Commit().ok());
    EXPECT_EQ(fs_.Contents("db.mdb"), expected);
  }
}

TEST_F(JournaledFileTest, OpenRollsBackALeftoverJournalAndRemovesAnUnstartedOne) {
  // A transaction wrote pages 0 and an appended page 4, then the process
  // died. Page 0 no longer matches the fingerprint; the journal's image of it
  // does. A journal of the earlier layout, without a fingerprint, is rolled
  // back all the same.
  for (uint32_t layout : {journal::kLayoutVersion, journal::kLayoutWithoutFingerprint}) {
    SCOPED_TRACE("layout " + std::to_string(layout));
    journal::Header header = HeaderFor(4 * kPage, 77);
    header.layout = layout;
    Bytes j = journal::EncodeHeader(header);
    Bytes original = Image(4, 1);
    Bytes rec = journal::EncodeRecord(77, 0, original.data(), kPage);
    j.insert(j.end(), rec.begin(), rec.end());
    fs_.Put("db.mdb-journal", j);
    Bytes damaged = original;
    std::fill(damaged.begin(), damaged.begin() + kPage, 0xEE);
    damaged.resize(5 * kPage, 0xEE);
    fs_.Put("db.mdb", damaged);

    EXPECT_TRUE(*HasHotJournal(&fs_, "db.mdb"));
    auto db = OpenDb();
    EXPECT_EQ(fs_.Contents("db.mdb"), original);
    EXPECT_FALSE(*HasHotJournal(&fs_, "db.mdb"));
  }
  // Made at open and never written, or its header lost before the flush
  // that comes before any database write: the file was never touched.
  Bytes cut = journal::EncodeHeader({kPage, 4 * kPage, 3});
  cut.resize(61);
  for (const Bytes& junk : {Bytes{}, Bytes(100, 0), Bytes(600, 0), cut}) {
    fs_.Put("db.mdb-journal", junk);
    auto db = OpenDb();
    EXPECT_EQ(fs_.Contents("db.mdb"), Image(4, 1));
  }
  // A damaged last record is a torn tail: the records before it are restored.
  Bytes j = journal::EncodeHeader(HeaderFor(4 * kPage, 5));
  for (uint32_t page : {1u, 2u}) {
    Bytes rec = journal::EncodeRecord(5, page, PageOf(0x50 + page).data(), kPage);
    if (page == 2) rec[10] ^= 1;
    j.insert(j.end(), rec.begin(), rec.end());
  }
  fs_.Put("db.mdb-journal", j);
  auto db = OpenDb();
  Bytes expect = Image(4, 1);
  SetPageOf(&expect, 1, 0x51);
  EXPECT_EQ(fs_.Contents("db.mdb"), expect);
}

TEST_F(JournaledFileTest, DamagedForeignOrUnrecoverableJournalIsRefusedAndNothingWritten) {
  auto with_records = [](journal::Header h, std::vector<uint32_t> pages, int damaged = -1) {
    Bytes j = journal::EncodeHeader(h);
    for (size_t i = 0; i < pages.size(); ++i) {
      Bytes rec = journal::EncodeRecord(h.salt, pages[i], PageOf(0x77).data(), h.page_size);
      if (static_cast<int>(i) == damaged) rec[6] ^= 0x40;
      j.insert(j.end(), rec.begin(), rec.end());
    }
    return j;
  };
  const journal::Header whole = HeaderFor(4 * kPage, 9);
  Bytes bad_crc = with_records(whole, {1});
  bad_crc[33] ^= 1;
  journal::Header unknown = whole;
  unknown.layout = 7;
  journal::Header foreign = whole;  // another file's, same page size, smaller
  foreign.original_size = 3 * kPage;
  foreign.fingerprint ^= 0x100;
  struct Case {
    const char* what;
    Bytes journal;
  };
  const Case cases[] = {
      {"another program's file", Bytes(100, 0x11)},
      {"header checksum fails", bad_crc},
      {"unknown layout", with_records(unknown, {1})},
      {"larger than the file", with_records(HeaderFor(8 * kPage, 9), {1})},
      {"cuts the file to nothing", with_records(HeaderFor(0, 9), {})},
      {"size not whole pages", with_records(HeaderFor(4 * kPage - 100, 9), {1})},
      {"page beyond the original size", with_records(HeaderFor(2 * kPage, 9), {1, 3})},
      {"page saved twice", with_records(whole, {1, 2, 1})},
      {"damage before the end", with_records(whole, {1, 2, 3}, 1)},
      {"another file's", with_records(foreign, {1, 2})},
      {"another file's page 0", with_records(whole, {0, 1})},
  };
  // Appended pages the interrupted change made, which a rollback would cut.
  Bytes grown = Image(4, 1);
  grown.resize(6 * kPage, 0xEE);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs_.Put("db.mdb", grown);
    fs_.Put("db.mdb-journal", c.journal);
    EXPECT_TRUE(*HasHotJournal(&fs_, "db.mdb")) << "readers must not trust the file";
    EXPECT_FALSE(JournaledFile::Open(&fs_, "db.mdb", kPage).ok())
        << "nothing is written beside a journal that was not rolled back";
    Status recovered = RecoverJournal(&fs_, "db.mdb");
    EXPECT_EQ(recovered.code(), Status::Code::kIOError);
    EXPECT_NE(recovered.message().find("db.mdb-journal"), std::string::npos) << recovered.message();
    EXPECT_EQ(fs_.Contents("db.mdb"), grown);
    EXPECT_EQ(fs_.Contents("db.mdb-journal"), c.journal);
  }
  // A hot journal on a read-only file is reported, not ignored.
  fs_.Put("db.mdb", Image(4, 1));
  journal::Header header{kPage, 4 * kPage, 1};
  fs_.Put("db.mdb-journal", journal::EncodeHeader(header));
  fs_.SetReadOnly("db.mdb", true);
  auto db = JournaledFile::Open(&fs_, "db.mdb", kPage);
  ASSERT_EQ(db.status().code(), Status::Code::kReadOnly);
  EXPECT_EQ(RecoverJournal(&fs_, "db.mdb").code(), Status::Code::kReadOnly);
  EXPECT_TRUE(*HasHotJournal(&fs_, "db.mdb"));
  // Left unrecovered, the journal keeps writers away.
  fs_.SetReadOnly("db.mdb", false);
  EXPECT_EQ(JournaledFile::Open(&fs_, "db.mdb", kPage).status().code(), Status::Code::kIOError);
}

// On disk: a commit through the journal, then a read-only folder, where no
// journal can be made, fails at open and leaves the file alone.
TEST(JournaledFilePosix, CommitsToARealFileAndFailsAtOpenInAReadOnlyFolder) {
  tarnquill::testing::TempDir dir;
  const std::string path = dir.File("y.mdb");
  ASSERT_TRUE(tarnquill::testing::WriteFile(path, Image(2, 9)));
  auto db = JournaledFile::Open(PosixFileSystem(), path, kPage);
  ASSERT_TRUE(db.ok()) << db.status().ToString();
  EXPECT_TRUE(std::filesystem::exists(path + "-journal"));
  ASSERT_TRUE((*db)->Begin().ok());
  ASSERT_TRUE((*db)->WritePage(2, PageOf(4).data()).ok());
  ASSERT_TRUE((*db)->Commit().ok());
  db->reset();
  EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
  EXPECT_EQ(std::filesystem::file_size(path), 3u * kPage);

  std::filesystem::permissions(
      dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  auto refused = JournaledFile::Open(PosixFileSystem(), path, kPage);
  ASSERT_EQ(refused.status().code(), Status::Code::kReadOnly);
  EXPECT_NE(refused.status().message().find("folder"), std::string::npos)
      << refused.status().message();
  EXPECT_EQ(std::filesystem::file_size(path), 3u * kPage);
}

// The checksum must stay the standard CRC-32 (journals written by earlier
// builds are read back with it), whatever the length and alignment.
TEST(JournalChecksum, IsStandardCrc32AtEveryLengthAndAlignment) {
  const std::string check = "123456789";
  EXPECT_EQ(journal::Crc32(reinterpret_cast<const uint8_t*>(check.data()), check.size()),
            0xCBF43926u);
  auto bitwise = [](const uint8_t* data, size_t n, uint32_t crc) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
      crc ^= data[i];
      for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
  };
  // Past a page and its record header: long runs take another path.
  Bytes data(4200);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 151 + (i >> 8));
  for (size_t start = 0; start < 9; ++start) {
    for (size_t n = 0; start + n <= data.size(); n += (n < 150 ? 1 : 13)) {
      ASSERT_EQ(journal::Crc32(data.data() + start, n, 0x5EED),
                bitwise(data.data() + start, n, 0x5EED))
          << "start " << start << ", length " << n;
    }
  }
  // Chaining over pieces equals one pass.
  const uint32_t whole = journal::Crc32(data.data(), data.size());
  EXPECT_EQ(journal::Crc32(data.data() + 100, data.size() - 100, journal::Crc32(data.data(), 100)),
            whole);
}

// Crash tests: two transactions run against a file system that stops at
// every possible write (by call and by byte), then power is lost — either
// keeping every write that reached the file system or only what was flushed.
// Reopening must leave the file exactly as it was before, between or after
// the transactions, and never lose a transaction whose commit succeeded.
const char kDb[] = "dir/crash.mdb";

Bytes Initial() { return Image(5, 3); }

struct Step {
  uint32_t page;
  uint8_t fill;
};
const std::vector<std::vector<Step>> kTransactions = {
    {{0, 0xA0}, {2, 0xA2}, {5, 0xA5}, {6, 0xA6}, {1, 0xA1}, {2, 0xB2}},
    {{3, 0xC3}, {0, 0xC0}, {7, 0xC7}},
};

// The file after each transaction: states[0] is the initial file.
std::vector<Bytes> ExpectedStates() {
  std::vector<Bytes> states = {Initial()};
  for (const auto& tx : kTransactions) {
    Bytes next = states.back();
    for (const auto& s : tx) SetPageOf(&next, s.page, s.fill);
    states.push_back(next);
  }
  return states;
}

// Runs the transactions until the first failure; returns how many committed.
size_t RunTransactions(FileSystem* fs, size_t max_pending) {
  auto db = JournaledFile::Open(fs, kDb, kPage, JournalOptions{max_pending});
  if (!db.ok()) return 0;
  size_t committed = 0;
  for (const auto& tx : kTransactions) {
    if (!(*db)->Begin().ok()) return committed;
    for (const auto& s : tx) {
      if (!(*db)->WritePage(s.page, PageOf(s.fill).data()).ok()) return committed;
    }
    if (!(*db)->Commit().ok()) return committed;
    ++committed;
  }
  return committed;
}

enum class PowerLoss {
  kKeepAllWrites,    // the process died; the system wrote everything out
  kKeepFlushedOnly,  // power failed; only flushed data and names survive
  kLoseJournalOnly,  // power failed after the disk wrote database pages early
};

struct Outcome {
  size_t committed;
  Bytes file;
};

// Runs changes on a file system; returns how many transactions committed.
using Run = std::function<size_t(FileSystem*)>;

// `run` on a file holding `initial`, cut after `budget` changing calls (or
// bytes written), then power lost as `loss` says and the journal recovered.
Outcome CrashAndRecover(const Bytes& initial, const Run& run, bool by_bytes, uint64_t budget,
                        PowerLoss loss) {
  MemoryFileSystem base;
  base.Put(kDb, initial);
  base.SyncDirectoryOf(kDb).ok();
  size_t committed;
  {
    FaultInjectingFileSystem faulty(&base);
    by_bytes ? faulty.FailAfterBytes(budget) : faulty.FailAfterCalls(budget);
    committed = run(&faulty);
  }
  if (loss == PowerLoss::kKeepFlushedOnly) base.LoseUnsyncedChanges();
  if (loss == PowerLoss::kLoseJournalOnly) {
    base.LoseUnsyncedChangesOf([](const std::string& name) {
      return name.size() > 8 && name.compare(name.size() - 8, 8, "-journal") == 0;
    });
  }
  {
    Status recovered = RecoverJournal(&base, kDb);
    EXPECT_TRUE(recovered.ok()) << recovered.ToString();
  }
  EXPECT_FALSE(*HasHotJournal(&base, kDb));
  return {committed, base.Contents(kDb)};
}

// Hands `judge` the outcome of `run` on `initial` cut at every changing call
// and every `byte_step` bytes, under each power loss of `losses`, with a
// name for the cut. A clean run first must commit `transactions` and leave
// `final_image`; returns the changing calls it made.
uint64_t ForEveryCut(const Bytes& initial, const Run& run, size_t transactions,
                     const Bytes& final_image, uint64_t byte_step,
                     std::initializer_list<PowerLoss> losses,
                     const std::function<void(const Outcome&, const std::string&)>& judge) {
  MemoryFileSystem clean;
  clean.Put(kDb, initial);
  FaultInjectingFileSystem counter(&clean);
  EXPECT_EQ(run(&counter), transactions);
  EXPECT_EQ(clean.Contents(kDb), final_image);
  if (::testing::Test::HasFailure()) return 0;
  const uint64_t calls = counter.budget().calls_made;
  for (bool by_bytes : {false, true}) {
    const uint64_t total = by_bytes ? counter.budget().bytes_written : calls;
    const uint64_t step = by_bytes ? byte_step : 1;
    for (uint64_t cut = 0; cut <= total + step; cut += step) {
      for (PowerLoss loss : losses) {
        judge(CrashAndRecover(initial, run, by_bytes, cut, loss),
              (by_bytes ? "byte cut " : "call cut ") + std::to_string(cut));
        if (::testing::Test::HasFatalFailure()) return calls;
      }
    }
  }
  return calls;
}

class JournalCrashTest : public ::testing::TestWithParam<size_t> {};

TEST_P(JournalCrashTest, EveryCutPointLeavesAWholeTransactionState) {
  const size_t max_pending = GetParam();
  const auto states = ExpectedStates();
  size_t seen_middle = 0;
  ForEveryCut(
      Initial(), [&](FileSystem* fs) { return RunTransactions(fs, max_pending); },
      kTransactions.size(), states.back(), 61,  // bytes in steps that straddle records
      {PowerLoss::kKeepAllWrites, PowerLoss::kKeepFlushedOnly, PowerLoss::kLoseJournalOnly},
      [&](const Outcome& out, const std::string& cut) {
        size_t state = states.size();
        for (size_t i = 0; i < states.size(); ++i) {
          if (out.file == states[i]) state = i;
        }
        ASSERT_LT(state, states.size()) << cut << ": file matches no state";
        EXPECT_GE(state, out.committed) << cut << ": a committed change was lost";
        if (state > 0 && state < states.size() - 1) ++seen_middle;
      });
  EXPECT_GT(seen_middle, 0u) << "no cut fell between the two transactions";
}

// One transaction over long runs of neighbouring pages, with gaps short
// and long, appended pages and early spills: the journal and the database
// are written a run at a time, so cuts fall inside multi-page writes.
TEST(JournalCrashLongRuns, EveryCutInsideMultiPageWritesRecovers) {
  constexpr uint32_t kPages = 600;
  Bytes initial(size_t{kPages} * kPage);
  for (size_t i = 0; i < initial.size(); ++i) initial[i] = static_cast<uint8_t>(i * 13 + i / kPage);
  Bytes final_image = initial;
  std::vector<uint32_t> pages;
  for (uint32_t p = 0; p < kPages + 10; ++p) {
    if (p != 300 && p != 301 && p != 555 && (p < 400 || p > 430)) pages.push_back(p);
  }
  for (uint32_t p : pages) SetPageOf(&final_image, p, static_cast<uint8_t>(p * 3 + 1));
  auto run = [&](FileSystem* fs) -> size_t {
    auto db = JournaledFile::Open(fs, kDb, kPage, JournalOptions{200});
    if (!db.ok() || !(*db)->Begin().ok()) return 0;
    for (uint32_t p : pages) {
      if (!(*db)->WritePage(p, PageOf(static_cast<uint8_t>(p * 3 + 1)).data()).ok()) return 0;
    }
    return (*db)->Commit().ok() ? 1 : 0;
  };
  const uint64_t calls = ForEveryCut(
      initial, run, 1, final_image, 7919, {PowerLoss::kKeepAllWrites, PowerLoss::kKeepFlushedOnly},
      [&](const Outcome& out, const std::string& cut) {
        if (out.committed) {
          ASSERT_EQ(out.file, final_image) << cut << ": committed change lost";
        } else {
          ASSERT_TRUE(out.file == initial || out.file == final_image)
              << cut << ": file is between the two states";
        }
      });
  // Runs are written whole: far fewer calls than pages.
  EXPECT_LT(calls, pages.size() / 4);
}

// 100 keeps every change in memory until the commit; 2 spills pages early.
INSTANTIATE_TEST_SUITE_P(Pending, JournalCrashTest, ::testing::Values(size_t{100}, size_t{2}));

}  // namespace
}  // namespace jet
