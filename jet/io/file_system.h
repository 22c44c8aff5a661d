// The files the engine touches: the database, its journal, temporary files.
//
// Every read and every change goes through this one interface, so tests can
// run the same code on memory, crash tests can cut it off at any write, and
// fault tests can make any single call fail. POSIX, in-memory and
// fault-injecting implementations live beside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "jet/status.h"

namespace jet {

// A file opened for reading (and, unless opened read-only, writing) at
// arbitrary offsets.
class File {
 public:
  virtual ~File() = default;

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
  // Asks the system to start writing the range to storage now, without
  // waiting: written while the caller goes on, it leaves less for the next
  // Sync to wait for. A hint only, never a promise that anything is stored.
  virtual void StartWriteback(uint64_t /*offset*/, size_t /*n*/) {}
  // The path, for messages.
  virtual const std::string& name() const = 0;
};

enum class OpenMode {
  kReadOnly,       // read an existing file; writes fail; NotFound if absent
  kExisting,       // read and write an existing file; NotFound if absent
  kCreateOrReuse,  // open, creating an empty file when absent
};

// Names files and opens them. Paths are plain strings; directories are
// whatever comes before the last '/'.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens `path`. Fails with NotFound ("Could not find file '<path>'."),
  // ReadOnly when writing was asked for and the file or its folder cannot be
  // written, IOError otherwise.
  virtual Result<std::unique_ptr<File>> Open(const std::string& path, OpenMode mode) = 0;
  virtual Result<bool> Exists(const std::string& path) = 0;
  // Removes `path`; removing a missing file succeeds.
  virtual Status Remove(const std::string& path) = 0;
  // Replaces `to` with `from` in one step (both in the same folder).
  virtual Status Rename(const std::string& from, const std::string& to) = 0;
  // Makes creations, renames and removals in the folder of `path` durable.
  virtual Status SyncDirectoryOf(const std::string& path) = 0;
  // The path of the file `path` names once symbolic links are followed, so
  // that files kept beside it (journal, lock file) are found under any name.
  // A missing file keeps its path.
  virtual Result<std::string> RealPath(const std::string& path) { return path; }
  // Whether the program may write `path` and create files in its folder.
  virtual bool CanWrite(const std::string& path) = 0;
};

// The operating system's files.
FileSystem* PosixFileSystem();

// "dir/x.mdb" -> "dir"; "x.mdb" -> "."; "/x.mdb" -> "/".
std::string DirectoryOf(const std::string& path);

}  // namespace jet
