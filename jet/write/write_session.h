// Opening a database file for writing, in the one safe order: take the write
// lock (no other writer, not open in Access), then roll back whatever an
// interrupted run left behind, then keep the journal ready.
#pragma once

#include <memory>
#include <string>

#include "jet/status.h"
#include "jet/write/journaled_file.h"
#include "jet/write/write_lock.h"

namespace jet {

class WriteSession {
 public:
  // Opens `path` (pages of `page_size` bytes) for writing. Fails with
  // NotFound, Locked (another writer, or the file is open in Access),
  // ReadOnly (the file or its folder), or the failure of a needed rollback;
  // in every case before the file is changed.
  static Result<std::unique_ptr<WriteSession>> Open(const std::string& path, uint32_t page_size,
                                                    JournalOptions options = {});

  JournaledFile& file() { return *file_; }

 private:
  WriteSession(std::unique_ptr<WriteLock> lock, std::unique_ptr<JournaledFile> file)
      : lock_(std::move(lock)), file_(std::move(file)) {}
  // Destroyed in reverse order: the file (rolling back an open transaction)
  // before the lock is released.
  std::unique_ptr<WriteLock> lock_;
  std::unique_ptr<JournaledFile> file_;
};

}  // namespace jet
