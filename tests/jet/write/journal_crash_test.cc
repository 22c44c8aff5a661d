// Crash tests: two transactions run against a file system that stops at
// every possible write (by call and by byte), then power is lost — either
// keeping every write that reached the file system or only what was flushed.
// Reopening must leave the file exactly as it was before, between or after
// the transactions, and never lose a transaction whose commit succeeded.
#include <gtest/gtest.h>

#include "jet/io/fault_injection.h"
#include "jet/write/journaled_file.h"
#include "jet/io/memory_file_system.h"

namespace jet {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kPage = 512;
const char kDb[] = "dir/crash.mdb";

Bytes Filled(uint8_t v) { return Bytes(kPage, v); }

Bytes Initial() {
  Bytes b(5 * kPage);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 31 + i / kPage);
  return b;
}

void SetPage(Bytes* image, uint32_t page, uint8_t v) {
  if (image->size() < size_t{page + 1} * kPage) image->resize(size_t{page + 1} * kPage);
  std::fill(image->begin() + size_t{page} * kPage, image->begin() + size_t{page + 1} * kPage, v);
}

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
    for (const auto& s : tx) SetPage(&next, s.page, s.fill);
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
      if (!(*db)->WritePage(s.page, Filled(s.fill).data()).ok()) return committed;
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

Outcome CrashAndRecover(bool by_bytes, uint64_t budget, size_t max_pending, PowerLoss loss) {
  MemoryFileSystem base;
  base.Put(kDb, Initial());
  base.SyncDirectoryOf(kDb).ok();
  size_t committed;
  {
    FaultInjectingFileSystem faulty(&base);
    if (by_bytes) {
      faulty.FailAfterBytes(budget);
    } else {
      faulty.FailAfterCalls(budget);
    }
    committed = RunTransactions(&faulty, max_pending);
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

class JournalCrashTest : public ::testing::TestWithParam<size_t> {};

TEST_P(JournalCrashTest, EveryCutPointLeavesAWholeTransactionState) {
  const size_t max_pending = GetParam();
  const auto states = ExpectedStates();
  // A clean run tells how many calls and bytes there are to cut.
  MemoryFileSystem base;
  base.Put(kDb, Initial());
  FaultInjectingFileSystem counter(&base);
  ASSERT_EQ(RunTransactions(&counter, max_pending), kTransactions.size());
  ASSERT_EQ(base.Contents(kDb), states.back());
  const uint64_t calls = counter.budget().calls_made;
  const uint64_t bytes = counter.budget().bytes_written;

  size_t seen_middle = 0;
  for (bool by_bytes : {false, true}) {
    const uint64_t total = by_bytes ? bytes : calls;
    const uint64_t step = by_bytes ? 61 : 1;  // every call; bytes in steps that straddle records
    for (uint64_t cut = 0; cut <= total + step; cut += step) {
      for (PowerLoss loss :
           {PowerLoss::kKeepAllWrites, PowerLoss::kKeepFlushedOnly, PowerLoss::kLoseJournalOnly}) {
        Outcome out = CrashAndRecover(by_bytes, cut, max_pending, loss);
        size_t state = states.size();
        for (size_t i = 0; i < states.size(); ++i) {
          if (out.file == states[i]) state = i;
        }
        ASSERT_LT(state, states.size())
            << (by_bytes ? "byte" : "call") << " cut " << cut << ": file matches no state";
        EXPECT_GE(state, out.committed)
            << (by_bytes ? "byte" : "call") << " cut " << cut << ": a committed change was lost";
        if (state > 0 && state < states.size() - 1) ++seen_middle;
      }
    }
  }
  EXPECT_GT(seen_middle, 0u) << "no cut fell between the two transactions";
}

// One transaction over long runs of neighbouring pages, with gaps, appended
// pages and early spills: the journal and the database are written a run at
// a time, so cuts fall inside multi-page writes.
TEST(JournalCrashLongRuns, EveryCutInsideMultiPageWritesRecovers) {
  constexpr uint32_t kPages = 600;
  Bytes initial(size_t{kPages} * kPage);
  for (size_t i = 0; i < initial.size(); ++i) initial[i] = static_cast<uint8_t>(i * 13 + i / kPage);
  Bytes final_image = initial;
  std::vector<uint32_t> pages;
  for (uint32_t p = 0; p < kPages + 10; ++p) {
    if (p != 300 && p != 301 && p != 555) pages.push_back(p);
  }
  for (uint32_t p : pages) SetPage(&final_image, p, static_cast<uint8_t>(p * 3 + 1));
  auto run = [&](FileSystem* fs) {
    auto db = JournaledFile::Open(fs, kDb, kPage, JournalOptions{200});
    if (!db.ok() || !(*db)->Begin().ok()) return false;
    for (uint32_t p : pages) {
      if (!(*db)->WritePage(p, Filled(static_cast<uint8_t>(p * 3 + 1)).data()).ok()) return false;
    }
    return (*db)->Commit().ok();
  };

  MemoryFileSystem clean;
  clean.Put(kDb, initial);
  FaultInjectingFileSystem counter(&clean);
  ASSERT_TRUE(run(&counter));
  ASSERT_EQ(clean.Contents(kDb), final_image);
  const uint64_t calls = counter.budget().calls_made;
  const uint64_t bytes = counter.budget().bytes_written;
  // Runs are written whole: far fewer calls than pages.
  EXPECT_LT(calls, pages.size() / 4);

  for (bool by_bytes : {false, true}) {
    const uint64_t total = by_bytes ? bytes : calls;
    const uint64_t step = by_bytes ? 7919 : 1;
    for (uint64_t cut = 0; cut <= total + step; cut += step) {
      for (bool flushed_only : {false, true}) {
        MemoryFileSystem base;
        base.Put(kDb, initial);
        bool committed;
        {
          FaultInjectingFileSystem faulty(&base);
          if (by_bytes) {
            faulty.FailAfterBytes(cut);
          } else {
            faulty.FailAfterCalls(cut);
          }
          committed = run(&faulty);
        }
        if (flushed_only) base.LoseUnsyncedChanges();
        ASSERT_TRUE(RecoverJournal(&base, kDb).ok());
        const Bytes file = base.Contents(kDb);
        const char* what = by_bytes ? "byte" : "call";
        if (committed) {
          ASSERT_EQ(file, final_image) << what << " cut " << cut << ": committed change lost";
        } else {
          ASSERT_TRUE(file == initial || file == final_image)
              << what << " cut " << cut << ": file is between the two states";
        }
      }
    }
  }
}

// 100 keeps every change in memory until the commit; 2 spills pages early.
INSTANTIATE_TEST_SUITE_P(Pending, JournalCrashTest, ::testing::Values(size_t{100}, size_t{2}));

}  // namespace
}  // namespace jet
