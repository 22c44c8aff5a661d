#include "jet/io/byte_source.h"

#include <cstring>

namespace jet {

namespace {
Status PastEnd(const std::string& name, uint64_t offset, size_t n, uint64_t size) {
  return Status::Corruption(name + ": read of " + std::to_string(n) + " bytes at offset " +
                            std::to_string(offset) + " runs past the end of the file (" +
                            std::to_string(size) + " bytes)");
}
}  // namespace

Result<std::unique_ptr<FileByteSource>> FileByteSource::Open(FileSystem* fs,
                                                             const std::string& path,
                                                             std::string name) {
  JET_ASSIGN_OR_RETURN(auto file, fs->Open(path, OpenMode::kReadOnly));
  JET_ASSIGN_OR_RETURN(uint64_t size, file->Size());
  return std::unique_ptr<FileByteSource>(
      new FileByteSource(std::move(file), name.empty() ? path : std::move(name), size));
}

Result<std::unique_ptr<FileByteSource>> FileByteSource::Open(const std::string& path) {
  return Open(PosixFileSystem(), path);
}

Status FileByteSource::ReadAt(uint64_t offset, size_t n, uint8_t* out) const {
  if (offset > size_ || n > size_ - offset) return PastEnd(name_, offset, n, size_);
  Status s = file_->ReadAt(offset, n, out);
  // A file that shrank under us reads short: say so in the reader's words.
  if (s.IsCorruption()) return PastEnd(name_, offset, n, size_);
  return s;
}

Status MemoryByteSource::ReadAt(uint64_t offset, size_t n, uint8_t* out) const {
  if (offset > bytes_.size() || n > bytes_.size() - offset) {
    return PastEnd(name_, offset, n, bytes_.size());
  }
  if (n > 0) std::memcpy(out, bytes_.data() + offset, n);
  return Status::Ok();
}

}  // namespace jet
