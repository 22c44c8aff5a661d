// The files the write path touches: the database and its journal.
//
// Everything that changes a database goes through these two interfaces, so
// tests can run the same code on memory, and crash tests can cut it off at any
// write. POSIX, in-memory and fault-injecting implementations live beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "jet/status.h"

namespace jet {

// A file opened for reading and writing at arbitrary offsets.
class WritableFile {
 public:
  virtual ~WritableFile() = default;

  // Copies exactly `n` bytes at `offset` into `out`. Fails with Corruption
  // when the range runs past the end, IOError when the system fails.
  virtual Status ReadAt(uint64_t offset, size_t n, uint8_t* out) = 0;
  // Writes `n` bytes at `offset`, extending the file when needed. On failure
  // any prefix of the bytes may have reached the file.
  virtual Status WriteAt(uint64_t offset, const uint8_t* data, size_t n) = 0;
  // Current size in bytes.
  virtual Result<uint64_t> Size() = 0;
  // Cuts or extends (with zeros) the file to `size` bytes.
  virtual Status Resize(uint64_t size) = 0;
  // Returns once everything written so far is on stable storage.
  virtual Status Sync() = 0;
  // The path, for messages.
  virtual const std::string& name() const = 0;
};

enum class OpenMode {
  kExisting,       // read and write an existing file; NotFound if absent
  kCreateOrReuse,  // open, creating an empty file when absent
};

// Names files and opens them. Paths are plain strings; directories are
// whatever comes before the last '/'.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens `path` for reading and writing. Fails with NotFound ("Could not
  // find file '<path>'."), ReadOnly when the file or its folder cannot be
  // written, IOError otherwise.
  virtual Result<std::unique_ptr<WritableFile>> Open(const std::string& path, OpenMode mode) = 0;
  virtual Result<bool> Exists(const std::string& path) = 0;
  // Removes `path`; removing a missing file succeeds.
  virtual Status Remove(const std::string& path) = 0;
  // Makes creations and removals in the folder of `path` durable.
  virtual Status SyncDirectoryOf(const std::string& path) = 0;
};

// The operating system's files.
FileSystem* PosixFileSystem();

}  // namespace jet
