// Keeping other writers away from a database while we change it.
//
// Two rules. Other instances of this program: we hold an exclusive advisory
// lock (flock) on the database file for as long as we may write it.
// Access and other Jet programs: while they have a database open they keep a
// lock file beside it (FILE.ldb for .mdb, FILE.laccdb for .accdb) and hold
// byte-range locks on it; a lock file with any active lock means the
// database is in use, and we do not write it. A lock file nobody holds is
// what a crashed Access leaves behind, and does not stop us.
#pragma once

#include <memory>
#include <string>

#include "jet/status.h"

namespace jet {

class WriteLock {
 public:
  // Takes the lock for writing `path`. Fails with NotFound when the file is
  // missing, and Locked — naming the file — when another instance of this
  // program is writing it or its lock file shows it open elsewhere.
  static Result<std::unique_ptr<WriteLock>> Acquire(const std::string& path);
  ~WriteLock();
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;

  const std::string& path() const { return path_; }

 private:
  WriteLock(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  std::string path_;
  int fd_;
};

// The lock file Access keeps beside `path`: "x.mdb" -> "x.ldb",
// "x.accdb" -> "x.laccdb", anything else gets ".ldb" appended.
std::string LockFilePathFor(const std::string& path);

// Checks the lock file of `path`: Ok when there is none, it is empty or no
// one holds a lock on it; Locked naming the database (and, when recorded, the
// machine that has it open) otherwise.
Status CheckAccessLockFile(const std::string& path);

}  // namespace jet
