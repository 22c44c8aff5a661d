// Page writes in atomic transactions, made crash-safe by a rollback journal.
//
// Within a transaction pages are changed in memory. At commit (or when too
// many pages are pending) the original image of every existing page about to
// be overwritten goes to FILE-journal together with the file's size, and the
// journal is flushed; only then is the database written and flushed, and
// finally the journal is emptied and flushed. A crash at any point leaves
// either a valid journal — the next open copies the originals back and cuts
// the file to its old size — or none, and so the file as it was before or
// after the transaction. Many changes can share one transaction, so a long
// batch pays a handful of flushes rather than several per change.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "jet/status.h"
#include "jet/io/file_system.h"
#include "jet/write/page_arena.h"

namespace jet {

// Exclusive access to the file for the span of one step: taken before a
// transaction first writes, given back when it has ended.
class StepLock {
 public:
  virtual ~StepLock() = default;
  // Locked when the file cannot be had; nothing has been written then.
  virtual Status BeginStep() = 0;
  virtual void EndStep() = 0;
};

struct JournalOptions {
  // Pending pages kept in memory before they are written ahead of the commit
  // (their originals journaled first). 8192 pages is 32 MB of 4 KB pages.
  size_t max_pending_pages = 8192;
  // Held while a transaction writes; none when null (the caller keeps other
  // writers away by other means).
  StepLock* step_lock = nullptr;
};

struct JournalStats {
  uint64_t syncs = 0;            // flushes of the database, the journal or the folder
  uint64_t pages_journaled = 0;  // original images saved
  uint64_t pages_written = 0;    // page writes to the database
};

class JournaledFile {
 public:
  // Opens `path` for writing with pages of `page_size` bytes and creates an
  // empty journal, which stays beside the file until it is closed. A journal
  // left by an interrupted transaction must have been rolled back before
  // (RecoverJournal, under the lock): it is refused with IOError. Fails with
  // NotFound or ReadOnly (the file, or its folder where the journal must go).
  static Result<std::unique_ptr<JournaledFile>> Open(FileSystem* fs, const std::string& path,
                                                     uint32_t page_size,
                                                     JournalOptions options = {});
  // Rolls back an open transaction and removes the emptied journal.
  ~JournaledFile();
  JournaledFile(const JournaledFile&) = delete;
  JournaledFile& operator=(const JournaledFile&) = delete;

  uint32_t page_size() const { return page_size_; }
  // Pages in the file, counting pages appended by the open transaction.
  uint32_t page_count() const { return static_cast<uint32_t>(size_ / page_size_); }
  const JournalStats& stats() const { return stats_; }
  bool in_transaction() const { return in_transaction_; }

  // After a failure that left the file needing recovery, ReadPage, Begin and
  // Rollback first recover it (see Recover); they fail as long as that fails.

  // Reads page `page`, as changed by the open transaction. Fails with
  // Corruption past the end of the file.
  Status ReadPage(uint32_t page, uint8_t* out);
  // ReadPage for `count` consecutive pages from `first` on, with one read of
  // the file for the lot.
  Status ReadPages(uint32_t first, uint32_t count, uint8_t* out);

  // Starts a transaction. Fails if one is open.
  Status Begin();
  // Replaces page `page` (page_count() appends a page). InvalidArgument
  // outside a transaction or beyond the end.
  Status WritePage(uint32_t page, const uint8_t* data);
  // Makes every change of the transaction durable. On failure the file is
  // rolled back if possible; otherwise it needs reopening, which recovers it.
  Status Commit();
  // Undoes every change of the transaction.
  Status Rollback();
  // Whether an earlier failure left the file needing recovery.
  bool failed() const { return !failed_.ok(); }
  // After such a failure: rolls back what the journal holds (exclusively,
  // under the step lock) and starts afresh, as closing and opening again
  // would; a change whose commit had emptied the journal stays. Ok at once
  // when nothing failed.
  Status Recover();

 private:
  JournaledFile(FileSystem* fs, std::string path, uint32_t page_size, JournalOptions options,
                std::unique_ptr<File> db, uint64_t size);
  Status Usable() const;
  Status WritePending();
  Status StartJournal();
  Status Sync(File* file);
  Status Fail(Status status);
  Status RecoverIfFailed();
  Status HoldStep();
  void ReleaseStep();
  // Empties pending_, keeping its buffers for the pages of the next step.
  void ClearPending();

  FileSystem* fs_;
  std::string path_;
  std::string journal_path_;
  uint32_t page_size_;
  JournalOptions options_;
  std::unique_ptr<File> db_;
  std::unique_ptr<File> journal_;
  uint64_t size_;           // logical size, with the transaction's appends
  uint64_t original_size_;  // size when the transaction began
  bool in_transaction_ = false;
  bool journal_started_ = false;  // this transaction's header is on disk
  uint32_t salt_ = 0;
  uint64_t journal_end_ = 0;
  std::set<uint32_t> journaled_;
  // Pending pages, each a buffer of page_size_ bytes from pages_.
  std::map<uint32_t, uint8_t*> pending_;
  PageArena pages_;
  // WritePending's buffers, kept from step to step for the same reason.
  std::vector<uint8_t> originals_, records_, run_;
  bool holding_step_ = false;
  Status failed_;
  JournalStats stats_;
};

// Rolls back the transaction recorded in the journal of `path`, if a valid
// one is there, and removes the journal. Succeeds when there is nothing to do.
// A journal that is damaged or cannot be this file's fails with IOError
// naming both files and why, and neither is changed.
Status RecoverJournal(FileSystem* fs, const std::string& path);

// True when `path` has a journal that must be rolled back before the file's
// contents can be trusted (or one that is damaged or foreign, which recovery
// refuses).
Result<bool> HasHotJournal(FileSystem* fs, const std::string& path);

}  // namespace jet
