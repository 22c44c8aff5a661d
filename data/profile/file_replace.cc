#include "data/profile/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

namespace data::profile {
namespace {

// Permission bits only; set-id bits are not carried over to a new inode.
constexpr mode_t kPermissionBits = 0777;
constexpr int kTempNameAttempts = 100;
// The settings file holds the database password in plain text: a file we
// create is the user's alone. An existing file keeps the mode it has.
constexpr mode_t kNewFileMode = 0600;

bool HasWriteBits(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

// A file or folder without any write permission bit counts as read-only even
// for users the system lets through (root): that is how a read-only
// attribute shows up here, and the profile functions refuse such a file.
bool MayWrite(const std::string& path, mode_t mode) {
  return HasWriteBits(mode) && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool SyncFile(int fd) {
  while (::fsync(fd) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// The old way, kept for folders where no new file can be made: truncate and
// rewrite. A failure part-way loses the old content, which is why it is only
// the fallback.
bool WriteInPlace(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, bytes) && SyncFile(fd);
  return ::close(fd) == 0 && ok;
}

// Creates a new, empty temporary file beside `target`, named after it and
// hidden (".NAME.tmp-PID-N"), readable by the user only until it takes the
// old file's mode. Returns -1 when none can be made.
int CreateTempBeside(const std::string& target, std::string* temp_path) {
  const std::string folder = FolderOf(target);
  const std::string stem = folder + "/." + NameOf(target) + ".tmp-" + std::to_string(::getpid());
  unsigned seed = static_cast<unsigned>(std::time(nullptr)) ^ static_cast<unsigned>(::getpid());
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    seed = seed * 1103515245u + 12345u;
    *temp_path = stem + "-" + std::to_string(seed % 1000000u);
    const int fd =
        ::open(temp_path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd >= 0) return fd;
    if (errno != EEXIST && errno != EINTR) return -1;
  }
  return -1;
}

enum class Outcome { kDone, kFailed, kUseInPlace };

// Writes `bytes` to a temporary file and renames it over `target`. `old` is
// the existing file's status, or null when there is none.
Outcome ReplaceByRename(const std::string& target, const struct stat* old, std::string_view bytes) {
  std::string temp;
  const int fd = CreateTempBeside(target, &temp);
  if (fd < 0) return Outcome::kUseInPlace;
  auto discard = [&](Outcome outcome) {
    ::close(fd);
    ::unlink(temp.c_str());
    return outcome;
  };
  if (old != nullptr) {
    struct stat fresh {};
    if (::fstat(fd, &fresh) != 0) return discard(Outcome::kFailed);
    // A file shared through its group or owned by another user must stay
    // theirs; when that cannot be kept, rewriting in place keeps it.
    if ((fresh.st_uid != old->st_uid || fresh.st_gid != old->st_gid) &&
        ::fchown(fd, old->st_uid, old->st_gid) != 0) {
      return discard(Outcome::kUseInPlace);
    }
    if (::fchmod(fd, old->st_mode & kPermissionBits) != 0) return discard(Outcome::kUseInPlace);
  }
  if (!WriteAll(fd, bytes) || !SyncFile(fd)) return discard(Outcome::kFailed);
  if (::close(fd) != 0) {
    ::unlink(temp.c_str());
    return Outcome::kFailed;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return Outcome::kFailed;
  }
  // Make the rename itself durable; the content is already safe either way.
  const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
  return Outcome::kDone;
}

}  // namespace

bool ReplaceFileContents(const char* path, std::string_view bytes) {
  if (path == nullptr || *path == '\0') return false;
  std::string target = path;
  struct stat entry {};
  if (::lstat(path, &entry) == 0 && S_ISLNK(entry.st_mode)) {
    // Replace what the link points to, never the link itself.
    char resolved[PATH_MAX];
    if (::realpath(path, resolved) == nullptr) return WriteInPlace(target, bytes);
    target = resolved;
  }

  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return false;
  if (exists) {
    if (!S_ISREG(old.st_mode) || !MayWrite(target, old.st_mode)) return false;
    // Other names of the same file would keep the old content after a rename.
    if (old.st_nlink > 1) return WriteInPlace(target, bytes);
  }

  struct stat folder {};
  const std::string dir = FolderOf(target);
  if (::stat(dir.c_str(), &folder) != 0) return false;
  if (!MayWrite(dir, folder.st_mode)) {
    return exists ? WriteInPlace(target, bytes) : false;
  }
  switch (ReplaceByRename(target, exists ? &old : nullptr, bytes)) {
    case Outcome::kDone:
      return true;
    case Outcome::kFailed:
      return false;
    case Outcome::kUseInPlace:
      break;
  }
  return WriteInPlace(target, bytes);
}

}  // namespace data::profile
