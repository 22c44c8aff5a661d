// A file system that fails on purpose, for crash and fault tests.
//
// It passes calls through to another file system until a budget runs out —
// a number of bytes written or a number of changing calls (writes, resizes,
// syncs, creations, renames, removals). The write that exhausts a byte
// budget lands only partly, like a write torn by a power cut; from then on
// every changing call fails with IOError, as if the machine had stopped.
// Reads keep working.
//
// FailCallOnce models faults that are not crashes (a full disk, a bad
// sector): one chosen call fails with the given cause, the next ones work.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "jet/io/file_system.h"

namespace jet {

struct FaultBudget {
  uint64_t bytes_left = std::numeric_limits<uint64_t>::max();
  uint64_t calls_left = std::numeric_limits<uint64_t>::max();
  bool tripped = false;
  uint64_t bytes_written = 0;  // totals, to size a sweep over every cut point
  uint64_t calls_made = 0;
  // The call (counted in calls_made) that fails once, and how.
  std::optional<uint64_t> fail_once_at;
  std::string fail_once_cause;
};

class FaultInjectingFileSystem : public FileSystem {
 public:
  // `base` must outlive this object.
  explicit FaultInjectingFileSystem(FileSystem* base) : base_(base) {}

  // Fail after `n` more bytes written (the write crossing the limit is torn).
  void FailAfterBytes(uint64_t n) { budget_->bytes_left = n; }
  // Fail the (n+1)-th changing call from now.
  void FailAfterCalls(uint64_t n) { budget_->calls_left = n; }
  // Fail only the (n+1)-th changing call from now, with a message
  // "Cannot <verb> '<path>': <cause>"; the calls after it go through.
  void FailCallOnce(uint64_t n, std::string cause) {
    budget_->fail_once_at = budget_->calls_made + n;
    budget_->fail_once_cause = std::move(cause);
  }
  bool tripped() const { return budget_->tripped; }
  const FaultBudget& budget() const { return *budget_; }

  Result<std::unique_ptr<File>> Open(const std::string& path, OpenMode mode) override;
  Result<bool> Exists(const std::string& path) override { return base_->Exists(path); }
  Status Remove(const std::string& path) override;
  Status Rename(const std::string& from, const std::string& to) override;
  Status SyncDirectoryOf(const std::string& path) override;
  Result<std::string> RealPath(const std::string& path) override { return base_->RealPath(path); }
  bool CanWrite(const std::string& path) override { return base_->CanWrite(path); }

 private:
  FileSystem* base_;
  std::shared_ptr<FaultBudget> budget_ = std::make_shared<FaultBudget>();
};

// Spends one call of `budget` on "<verb> <path>"; returns the failure to
// report when this call is to fail.
Status SpendFaultCall(FaultBudget* budget, const std::string& verb, const std::string& path);

}  // namespace jet
