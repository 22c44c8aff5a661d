// A file system that fails on purpose, for crash tests.
//
// It passes calls through to another file system until a budget runs out —
// a number of bytes written or a number of changing calls (writes, resizes,
// syncs, removals). The write that exhausts a byte budget lands only partly,
// like a write torn by a power cut; from then on every changing call fails
// with IOError, as if the machine had stopped. Reads keep working.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "jet/write/file_system.h"

namespace jet {

struct FaultBudget {
  uint64_t bytes_left = std::numeric_limits<uint64_t>::max();
  uint64_t calls_left = std::numeric_limits<uint64_t>::max();
  bool tripped = false;
  uint64_t bytes_written = 0;  // totals, to size a sweep over every cut point
  uint64_t calls_made = 0;
};

class FaultInjectingFileSystem : public FileSystem {
 public:
  // `base` must outlive this object.
  explicit FaultInjectingFileSystem(FileSystem* base) : base_(base) {}

  // Fail after `n` more bytes written (the write crossing the limit is torn).
  void FailAfterBytes(uint64_t n) { budget_->bytes_left = n; }
  // Fail the (n+1)-th changing call from now.
  void FailAfterCalls(uint64_t n) { budget_->calls_left = n; }
  bool tripped() const { return budget_->tripped; }
  const FaultBudget& budget() const { return *budget_; }

  Result<std::unique_ptr<WritableFile>> Open(const std::string& path, OpenMode mode) override;
  Result<bool> Exists(const std::string& path) override { return base_->Exists(path); }
  Status Remove(const std::string& path) override;
  Status SyncDirectoryOf(const std::string& path) override;

 private:
  FileSystem* base_;
  std::shared_ptr<FaultBudget> budget_ = std::make_shared<FaultBudget>();
};

// Spends one call of `budget`; returns the failure to report once it is spent.
Status SpendFaultCall(FaultBudget* budget, const std::string& what);

}  // namespace jet
