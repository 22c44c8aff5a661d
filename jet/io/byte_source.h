// ByteSource: the one way the engine reads a file.
//
// Everything above this layer asks for "n bytes at offset x" and never touches
// a file descriptor: files come through the FileSystem (file_system.h), tests
// and fuzzing hand the engine an in-memory image, and the writable side reads
// through its journal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jet/io/file_system.h"
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

// A file read through a FileSystem, sized as of opening. Open fails with
// NotFound ("Could not find file '<path>'.") when the path does not exist and
// IOError when it cannot be read. `name` (the path when empty) is what
// messages show: the name the user gave, when `path` is the real file behind
// a link.
class FileByteSource : public ByteSource {
 public:
  static Result<std::unique_ptr<FileByteSource>> Open(FileSystem* fs, const std::string& path,
                                                      std::string name = {});
  // Opens through the operating system's files.
  static Result<std::unique_ptr<FileByteSource>> Open(const std::string& path);

  uint64_t size() const override { return size_; }
  Status ReadAt(uint64_t offset, size_t n, uint8_t* out) const override;
  const std::string& name() const override { return name_; }
  // Keeps `companion` (a lock, say) alive as long as this source.
  void Keep(std::shared_ptr<void> companion) { companion_ = std::move(companion); }

 private:
  FileByteSource(std::unique_ptr<File> file, std::string name, uint64_t size)
      : file_(std::move(file)), name_(std::move(name)), size_(size) {}
  std::unique_ptr<File> file_;
  std::string name_;
  uint64_t size_ = 0;
  std::shared_ptr<void> companion_;
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
