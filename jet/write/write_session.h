// Opening a database file for writing, in the one safe order, for every
// kind of write (row updates, appends, new tables, repairs):
//
//   1. take the write lock: a share of the file, the only writer in this
//      process, not open in Access;
//   2. roll back whatever an interrupted run left in the journal, holding
//      the file exclusively while doing so;
//   3. read the header (now trustworthy) and check the password;
//   4. keep the journal ready; each transaction then holds the file
//      exclusively only while it writes.
//
// The session serves reads through the open transaction (store(), reader())
// and takes finished pages through sink().
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "jet/database.h"
#include "jet/header.h"
#include "jet/io/file_system.h"
#include "jet/page_store.h"
#include "jet/status.h"
#include "jet/text_codec.h"
#include "jet/write/journaled_file.h"
#include "jet/write/journaled_source.h"
#include "jet/write/page_sink.h"
#include "jet/write/write_lock.h"

namespace jet {

// Every member has an initializer, so that callers may name only the ones
// they set ({.fs = fs}).
struct WriteOptions {
  std::string password{};
  FileSystem* fs = nullptr;  // the operating system's files when null
  // Take the lock (share, exclusive steps, Access's lock file). Only the
  // operating system's files can be locked; other file systems never are.
  bool lock = true;
  std::chrono::milliseconds wait = kWriteWait;  // for other processes to let go
  JournalOptions journal{};
};

class WriteSession {
 public:
  // Opens `path` for writing. Fails before anything is changed: NotFound,
  // Locked (this program writes it already, or Access has it open),
  // ReadOnly (the file or its folder cannot be written), BadPassword,
  // Corruption, or the failure of a needed rollback.
  static Result<std::unique_ptr<WriteSession>> Open(const std::string& path,
                                                    const WriteOptions& options = {});
  // Rolls back a transaction still open, then lets go of the file.
  ~WriteSession();
  WriteSession(const WriteSession&) = delete;
  WriteSession& operator=(const WriteSession&) = delete;

  // The name the file was opened under.
  const std::string& path() const { return path_; }
  const Header& header() const { return header_; }
  JournaledFile& file() { return *file_; }
  // Pages as the open transaction has them; Commit failures reset its cache.
  PageStore& store() { return store_; }
  const TextDecoder& text() const { return text_; }
  PageSink& sink() { return sink_; }
  // The catalog and table definitions, read through the open transaction.
  // It keeps what it has read: changes to them call RefreshReader.
  Database& reader() { return *reader_; }
  // Starts the reader afresh, so it sees the pages as they now stand.
  Status RefreshReader();

  bool in_transaction() const { return file_->in_transaction(); }
  // Starts a transaction (see JournaledFile::Begin: it first recovers from a
  // failure that left the file needing it, so the next change works once
  // the disk has room again).
  Status Begin();
  // Makes the transaction durable. On failure nothing of it stays and the
  // cached pages are forgotten.
  Status Commit();
  // Undoes the transaction and forgets the cached pages.
  void Rollback();

 private:
  class JournalSink : public PageSink {
   public:
    explicit JournalSink(JournaledFile* file) : file_(file) {}
    Status WritePage(uint32_t page, const uint8_t* data) override {
      return file_->WritePage(page, data);
    }

   private:
    JournaledFile* file_;
  };

  void Forget();
  WriteSession(std::string path, std::unique_ptr<WriteLock> lock,
               std::unique_ptr<JournaledFile> file, Header header);

  std::string path_;
  std::unique_ptr<WriteLock> lock_;  // released last
  std::unique_ptr<JournaledFile> file_;
  Header header_;
  JournaledFileSource source_;
  PageStore store_;
  TextDecoder text_;
  JournalSink sink_;
  std::unique_ptr<Database> reader_;
  std::string password_;
};

// Rolls back an interrupted change of `path`, holding the file exclusively
// while it does (`lock`, when given, is the share to raise). Ok when there
// was nothing to do.
Status RecoverUnderLock(FileSystem* fs, const std::string& path, ShareLock* lock,
                        std::chrono::milliseconds wait = kWriteWait);

}  // namespace jet
