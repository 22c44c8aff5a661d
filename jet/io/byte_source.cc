#include "jet/io/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace jet {

namespace {
Status PastEnd(const std::string& name, uint64_t offset, size_t n, uint64_t size) {
  return Status::Corruption(name + ": read of " + std::to_string(n) + " bytes at offset " +
                            std::to_string(offset) + " runs past the end of the file (" +
                            std::to_string(size) + " bytes)");
}
}  // namespace

Result<std::unique_ptr<FileByteSource>> FileByteSource::Open(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      return Status::NotFound("Could not find file '" + path + "'.");
    }
    return Status::IOError(path + ": " + std::strerror(errno));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    return Status::IOError(path + ": " + std::strerror(err));
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return Status::NotFound("Could not find file '" + path + "'.");
  }
  return std::unique_ptr<FileByteSource>(
      new FileByteSource(path, fd, static_cast<uint64_t>(st.st_size)));
}

FileByteSource::~FileByteSource() {
  if (fd_ >= 0) ::close(fd_);
}

Status FileByteSource::ReadAt(uint64_t offset, size_t n, uint8_t* out) const {
  if (offset > size_ || n > size_ - offset) return PastEnd(path_, offset, n, size_);
  size_t done = 0;
  while (done < n) {
    ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return Status::IOError(path_ + ": " + std::strerror(errno));
    }
    if (got == 0) return PastEnd(path_, offset, n, offset + done);  // shrank under us
    done += static_cast<size_t>(got);
  }
  return Status::Ok();
}

Status MemoryByteSource::ReadAt(uint64_t offset, size_t n, uint8_t* out) const {
  if (offset > bytes_.size() || n > bytes_.size() - offset) {
    return PastEnd(name_, offset, n, bytes_.size());
  }
  if (n > 0) std::memcpy(out, bytes_.data() + offset, n);
  return Status::Ok();
}

}  // namespace jet
