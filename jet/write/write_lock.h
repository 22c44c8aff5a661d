// Sharing a database between readers and writers.
//
// Every open of a file, for reading or writing, holds a shared advisory lock
// (flock) on it for as long as it is open. A writer turns it into an
// exclusive lock only while it writes one durable step (a transaction) and
// turns it back afterwards. So any number of readers share a file, none of
// them ever sees a half-written step, and a writer waits a moment for readers
// in other processes to let go, then gives up without having written
// anything. Inside one process every open of a file shares one lock (the
// program orders its own reads and writes), but only one of them may write.
//
// Access and other Jet programs keep a lock file beside the database
// (FILE.ldb for .mdb, FILE.laccdb for .accdb) with byte-range locks on it
// while they have it open. Such a file may be read, never written. A lock
// file nobody holds is what a crashed Access leaves behind; it does not stop
// us.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "jet/status.h"
#include "jet/write/journaled_file.h"

namespace jet {

// How long a writer waits for other processes to let go of a file, and a
// reader for a writer to finish its step.
inline constexpr std::chrono::milliseconds kWriteWait{2000};
inline constexpr std::chrono::milliseconds kReadWait{10000};

// One open's share of a file.
class ShareLock {
 public:
  // Joins the openers of `path` (a real path: links already followed).
  // Waits up to `wait` while another process writes a step. Fails with
  // NotFound, or Locked naming the file (and the process) when the wait runs
  // out.
  static Result<std::unique_ptr<ShareLock>> Acquire(const std::string& path,
                                                    std::chrono::milliseconds wait = kReadWait);
  ~ShareLock();
  ShareLock(const ShareLock&) = delete;
  ShareLock& operator=(const ShareLock&) = delete;

  // Exclusive access for one step: waits up to `wait` for other processes to
  // close the file. Locked, naming the process that holds it (a Tarnquill
  // process by that name), when they do not; nothing has been written then.
  Status BeginExclusive(std::chrono::milliseconds wait = kWriteWait);
  // Back to shared access.
  void EndExclusive();

  const std::string& path() const;

  struct Entry;  // the process-wide state of one file (write_lock.cc)

 private:
  explicit ShareLock(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
  std::shared_ptr<Entry> entry_;
  bool exclusive_ = false;
  friend class WriteLock;
};

// The lock a writer holds: a share of the file, the only writer of it in
// this process, and each step exclusive and checked against Access.
class WriteLock : public StepLock {
 public:
  // Fails with NotFound when the file is missing, Locked — naming the file —
  // when this process already writes it or Access has it open.
  static Result<std::unique_ptr<WriteLock>> Acquire(const std::string& path,
                                                    std::chrono::milliseconds wait = kWriteWait);
  ~WriteLock() override;

  // Exclusive access for one step; refused (Locked) when another process has
  // the file open or Access has opened it meanwhile.
  Status BeginStep() override;
  void EndStep() override;

  const std::string& path() const { return share_->path(); }
  // The share under the write lock, for recovering before the first step.
  ShareLock* share() { return share_.get(); }

 private:
  WriteLock(std::unique_ptr<ShareLock> share, std::chrono::milliseconds wait)
      : share_(std::move(share)), wait_(wait) {}
  std::unique_ptr<ShareLock> share_;
  std::chrono::milliseconds wait_;
};

// The lock file Access keeps beside `path`: "x.mdb" -> "x.ldb",
// "x.accdb" -> "x.laccdb", anything else gets ".ldb" appended.
std::string LockFilePathFor(const std::string& path);

// Checks the lock file of `path`: Ok when there is none, it is empty or no
// one holds a lock on it; Locked naming the database (and, when recorded, the
// machine that has it open) otherwise.
Status CheckAccessLockFile(const std::string& path);

}  // namespace jet
