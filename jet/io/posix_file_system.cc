#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "jet/io/file_system.h"

namespace jet {

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

namespace {

Status ErrnoStatus(const std::string& what, const std::string& path, int err) {
  std::string detail = what + " '" + path + "': " + std::strerror(err);
  if (err == EACCES || err == EROFS || err == EPERM) return Status::ReadOnly(detail);
  return Status::IOError(detail);
}

class PosixFile : public File {
 public:
  PosixFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  Status ReadAt(uint64_t offset, size_t n, uint8_t* out) override {
    size_t done = 0;
    while (done < n) {
      ssize_t r = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) return ErrnoStatus("Cannot read", path_, errno);
      if (r == 0) {
        return Status::Corruption("'" + path_ + "' ends at byte " + std::to_string(offset + done) +
                                  ", before the " + std::to_string(n) + " bytes read at " +
                                  std::to_string(offset));
      }
      done += static_cast<size_t>(r);
    }
    return Status::Ok();
  }

  Status WriteAt(uint64_t offset, const uint8_t* data, size_t n) override {
    size_t done = 0;
    while (done < n) {
      ssize_t w = ::pwrite(fd_, data + done, n - done, static_cast<off_t>(offset + done));
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) return ErrnoStatus("Cannot write", path_, errno);
      done += static_cast<size_t>(w);
    }
    return Status::Ok();
  }

  Result<uint64_t> Size() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return ErrnoStatus("Cannot stat", path_, errno);
    return static_cast<uint64_t>(st.st_size);
  }

  Status Resize(uint64_t size) override {
    while (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
      if (errno != EINTR) return ErrnoStatus("Cannot resize", path_, errno);
    }
    return Status::Ok();
  }

  Status Sync() override {
    while (::fsync(fd_) != 0) {
      if (errno != EINTR) return ErrnoStatus("Cannot flush", path_, errno);
    }
    return Status::Ok();
  }

  void StartWriteback(uint64_t offset, size_t n) override {
#ifdef __linux__
    (void)::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(n),
                            SYNC_FILE_RANGE_WRITE);
#else
    (void)offset;
    (void)n;
#endif
  }

  const std::string& name() const override { return path_; }

 private:
  std::string path_;
  int fd_;
};

class PosixFs : public FileSystem {
 public:
  Result<std::unique_ptr<File>> Open(const std::string& path, OpenMode mode) override {
    if (mode == OpenMode::kReadOnly) return OpenForReading(path);
    // A file or folder without write permission bits counts as read-only
    // even for users the system would let through (root, some shares):
    // that is how a read-only attribute shows up here.
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && (st.st_mode & 0222) == 0) {
      return Status::ReadOnly("The file '" + path + "' is read-only.");
    }
    if (!exists && mode == OpenMode::kCreateOrReuse) {
      struct stat dir_st;
      const std::string dir = DirectoryOf(path);
      if (::stat(dir.c_str(), &dir_st) == 0 && (dir_st.st_mode & 0222) == 0) {
        return Status::ReadOnly("Cannot create '" + path + "': the folder '" + dir +
                                "' is read-only.");
      }
    }
    int flags = O_RDWR | O_CLOEXEC;
    if (mode == OpenMode::kCreateOrReuse) flags |= O_CREAT;
    int fd;
    do {
      fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      int err = errno;
      if (err == ENOENT) return Status::NotFound("Could not find file '" + path + "'.");
      if (err == EACCES || err == EROFS || err == EPERM) {
        // Say which of the two is read-only: the file itself or its folder.
        if (mode == OpenMode::kCreateOrReuse && ::access(path.c_str(), F_OK) != 0) {
          return Status::ReadOnly("Cannot create '" + path + "': the folder '" + DirectoryOf(path) +
                                  "' is read-only.");
        }
        return Status::ReadOnly("The file '" + path + "' is read-only.");
      }
      return ErrnoStatus("Cannot open", path, err);
    }
    return std::unique_ptr<File>(std::make_unique<PosixFile>(path, fd));
  }

  Result<std::unique_ptr<File>> OpenForReading(const std::string& path) {
    int fd;
    do {
      fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      if (errno == ENOENT || errno == ENOTDIR) {
        return Status::NotFound("Could not find file '" + path + "'.");
      }
      return ErrnoStatus("Cannot open", path, errno);
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      ::close(fd);
      return Status::NotFound("Could not find file '" + path + "'.");
    }
    return std::unique_ptr<File>(std::make_unique<PosixFile>(path, fd));
  }

  Result<bool> Exists(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) return true;
    if (errno == ENOENT || errno == ENOTDIR) return false;
    return ErrnoStatus("Cannot stat", path, errno);
  }

  Status Remove(const std::string& path) override {
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return Status::Ok();
    return ErrnoStatus("Cannot remove", path, errno);
  }

  Status Rename(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) == 0) return Status::Ok();
    return ErrnoStatus("Cannot replace", to, errno);
  }

  Result<std::string> RealPath(const std::string& path) override {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return std::string(resolved);
    if (errno == ENOENT || errno == ENOTDIR) return path;
    return ErrnoStatus("Cannot resolve", path, errno);
  }

  bool CanWrite(const std::string& path) override {
    // Permission bits first: a file or folder without any write bit is
    // read-only even for users the system would let through (root, shares).
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || (st.st_mode & 0222) == 0) return false;
    const std::string dir = DirectoryOf(path);
    if (::stat(dir.c_str(), &st) != 0 || (st.st_mode & 0222) == 0) return false;
    return ::access(path.c_str(), W_OK) == 0 && ::access(dir.c_str(), W_OK) == 0;
  }

  Status SyncDirectoryOf(const std::string& path) override {
    const std::string dir = DirectoryOf(path);
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return ErrnoStatus("Cannot open folder", dir, errno);
    int rc;
    do {
      rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    int err = errno;
    ::close(fd);
    // Some file systems cannot sync a folder; the data itself is synced.
    if (rc != 0 && err != EINVAL && err != EBADF)
      return ErrnoStatus("Cannot flush folder", dir, err);
    return Status::Ok();
  }
};

}  // namespace

FileSystem* PosixFileSystem() {
  static PosixFs fs;
  return &fs;
}

}  // namespace jet
