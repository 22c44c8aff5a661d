#include "jet/io/atomic_write.h"

#include <cstdio>
#include <random>

namespace jet {

namespace {

std::string TemporaryNameFor(const std::string& path) {
  static std::random_device device;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(device()));
  return path + ".tmp-" + suffix;
}

}  // namespace

Status WriteFileAtomically(FileSystem* fs, const std::string& path,
                           const std::vector<uint8_t>& bytes) {
  JET_ASSIGN_OR_RETURN(bool exists, fs->Exists(path));
  if (exists && !fs->CanWrite(path)) {
    return Status::ReadOnly("Cannot write '" + path + "': the file or its folder is read-only.");
  }
  const std::string temporary = TemporaryNameFor(path);
  auto file = fs->Open(temporary, OpenMode::kCreateOrReuse);
  if (!file.ok()) {
    if (file.status().code() == Status::Code::kReadOnly) {
      return Status::ReadOnly("Cannot write '" + path + "': its folder is read-only.");
    }
    return file.status().WithContext("Cannot write '" + path + "'");
  }
  Status s = (*file)->WriteAt(0, bytes.data(), bytes.size());
  if (s.ok()) s = (*file)->Sync();
  file->reset();
  if (s.ok()) s = fs->Rename(temporary, path);
  if (!s.ok()) {
    (void)fs->Remove(temporary);
    return s.WithContext("Cannot write '" + path + "'");
  }
  // The new file is in place; only its name may not be durable yet.
  s = fs->SyncDirectoryOf(path);
  if (!s.ok()) return s.WithContext("'" + path + "' was written but may not be durable");
  return Status::Ok();
}

}  // namespace jet
