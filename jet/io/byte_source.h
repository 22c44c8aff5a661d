// ByteSource: the one way the engine reads a file.
//
// Everything above this layer asks for "n bytes at offset x" and never touches
// a file descriptor, so tests can hand the engine an in-memory image and the
// writable side can put its own file and journal beside the read-only one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jet/status.h"

namespace jet {

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // Total size in bytes, as of opening (or of the last change for writable sources).
  virtual uint64_t size() const = 0;

  // Copies exactly `n` bytes starting at `offset` into `out`. Fails with
  // Corruption when the range runs past the end (the file is shorter than its
  // structures claim) and with IOError when the operating system fails.
  virtual Status ReadAt(uint64_t offset, size_t n, uint8_t* out) const = 0;

  // The name used in messages (the path for files).
  virtual const std::string& name() const = 0;
};

// A read-only file. Open fails with NotFound ("Could not find file '<path>'.")
// when the path does not exist and IOError when it cannot be read.
class FileByteSource : public ByteSource {
 public:
  static Result<std::unique_ptr<FileByteSource>> Open(const std::string& path);
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  uint64_t size() const override { return size_; }
  Status ReadAt(uint64_t offset, size_t n, uint8_t* out) const override;
  const std::string& name() const override { return path_; }

 private:
  FileByteSource(std::string path, int fd, uint64_t size)
      : path_(std::move(path)), fd_(fd), size_(size) {}
  std::string path_;
  int fd_ = -1;
  uint64_t size_ = 0;
};

// Bytes held in memory (tests, fuzzing, images built on the fly).
class MemoryByteSource : public ByteSource {
 public:
  explicit MemoryByteSource(std::vector<uint8_t> bytes, std::string name = "<memory>")
      : bytes_(std::move(bytes)), name_(std::move(name)) {}

  uint64_t size() const override { return bytes_.size(); }
  Status ReadAt(uint64_t offset, size_t n, uint8_t* out) const override;
  const std::string& name() const override { return name_; }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  std::string name_;
};

}  // namespace jet
