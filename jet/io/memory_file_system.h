// Files in memory, with a model of what survives a crash.
//
// Each file remembers its contents as of its last Sync(), and the folder
// remembers which files existed at the last SyncDirectoryOf(). A simulated
// power loss (LoseUnsyncedChanges) brings both back, so crash tests see
// exactly what durable storage would hold.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "jet/io/file_system.h"

namespace jet {

class MemoryFileSystem : public FileSystem {
 public:
  Result<std::unique_ptr<File>> Open(const std::string& path, OpenMode mode) override;
  Result<bool> Exists(const std::string& path) override;
  Status Remove(const std::string& path) override;
  Status Rename(const std::string& from, const std::string& to) override;
  Status SyncDirectoryOf(const std::string& path) override;
  bool CanWrite(const std::string& path) override;

  // Test helpers. Contents of `path` (empty when absent).
  std::vector<uint8_t> Contents(const std::string& path) const;
  // Creates or replaces `path` with `bytes`, durably.
  void Put(const std::string& path, std::vector<uint8_t> bytes);
  // Marks `path` read-only (opens fail with ReadOnly) or writable again.
  void SetReadOnly(const std::string& path, bool read_only);
  // Power loss: files and the folder fall back to their last synced state.
  void LoseUnsyncedChanges();
  // A harsher power loss: unflushed changes of the files named by `lose` are
  // lost (their names too, if never made durable) while every write to the
  // others survives — the disk wrote some files' data back early.
  void LoseUnsyncedChangesOf(const std::function<bool(const std::string&)>& lose);

  struct Node {
    std::vector<uint8_t> data;
    std::vector<uint8_t> synced;
    bool read_only = false;
  };

 private:
  std::map<std::string, std::shared_ptr<Node>> live_;
  std::map<std::string, std::shared_ptr<Node>> durable_;  // the folder as of its last sync
};

}  // namespace jet
