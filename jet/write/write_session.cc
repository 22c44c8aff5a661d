#include "jet/write/write_session.h"

#include "jet/crypto/office_cipher.h"

namespace jet {

Status RecoverUnderLock(FileSystem* fs, const std::string& path, ShareLock* lock,
                        std::chrono::milliseconds wait) {
  JET_ASSIGN_OR_RETURN(bool hot, HasHotJournal(fs, path));
  if (!hot) return Status::Ok();
  if (lock != nullptr) JET_RETURN_IF_ERROR(lock->BeginExclusive(wait));
  Status s = RecoverJournal(fs, path);
  if (lock != nullptr) lock->EndExclusive();
  return s;
}

WriteSession::WriteSession(std::string path, std::unique_ptr<WriteLock> lock,
                           std::unique_ptr<JournaledFile> file, Header header)
    : path_(std::move(path)),
      lock_(std::move(lock)),
      file_(std::move(file)),
      header_(std::move(header)),
      source_(file_.get(), path_),
      store_(&source_, *header_.format, header_.database_key),
      text_(header_.format->text_utf16, header_.code_page),
      sink_(file_.get()) {}

WriteSession::~WriteSession() {
  reader_.reset();
  file_.reset();  // rolls back under the lock
}

Result<std::unique_ptr<WriteSession>> WriteSession::Open(const std::string& path,
                                                         const WriteOptions& options) {
  FileSystem* fs = options.fs != nullptr ? options.fs : PosixFileSystem();
  // The journal and the lock belong to the real file, whatever it is called.
  JET_ASSIGN_OR_RETURN(const std::string real, fs->RealPath(path));
  std::unique_ptr<WriteLock> lock;
  if (options.lock && fs == PosixFileSystem()) {
    JET_ASSIGN_OR_RETURN(lock, WriteLock::Acquire(real, options.wait));
  }
  // A missing or read-only file is reported as such, not as a failed rollback.
  JET_ASSIGN_OR_RETURN(auto probe, fs->Open(real, OpenMode::kExisting));
  // The header can be trusted only once an interrupted run is rolled back.
  JET_RETURN_IF_ERROR(RecoverUnderLock(fs, real, lock ? lock->share() : nullptr, options.wait));
  std::vector<uint8_t> raw(kHeaderReadSize);
  JET_ASSIGN_OR_RETURN(uint64_t size, probe->Size());
  if (size < raw.size()) {
    return Status::Corruption(path + ": too short to be an Access database (" +
                              std::to_string(size) + " bytes)");
  }
  JET_RETURN_IF_ERROR(probe->ReadAt(0, raw.size(), raw.data()));
  probe.reset();
  JET_ASSIGN_OR_RETURN(Header header, ParseHeader(raw, path));
  JET_RETURN_IF_ERROR(CheckPassword(header, options.password));
  JournalOptions journal = options.journal;
  if (lock) journal.step_lock = lock.get();
  JET_ASSIGN_OR_RETURN(auto file, JournaledFile::Open(fs, real, header.format->page_size, journal));
  std::unique_ptr<WriteSession> session(
      new WriteSession(path, std::move(lock), std::move(file), std::move(header)));
  session->password_ = options.password;
  // Encrypted files: pages are read through the cipher and encrypted again,
  // whole, before they reach the journaled file.
  JET_ASSIGN_OR_RETURN(auto cipher,
                       UnlockPages(session->source_, session->header_, options.password));
  session->store_.SetCipher(std::move(cipher));
  JET_RETURN_IF_ERROR(session->RefreshReader());
  return session;
}

Status WriteSession::RefreshReader() {
  OpenOptions read;
  read.password = password_;
  JET_ASSIGN_OR_RETURN(reader_,
                       OpenDatabase(std::make_unique<JournaledFileSource>(file_.get(), path_), read));
  return Status::Ok();
}

Status WriteSession::Begin() { return file_->Begin(); }

Status WriteSession::Commit() {
  Status s = file_->Commit();
  if (!s.ok()) Forget();
  return s;
}

void WriteSession::Rollback() {
  if (file_->in_transaction()) (void)file_->Rollback();
  Forget();
}

void WriteSession::Forget() {
  store_.Reset();
  // A reader that cannot start afresh keeps its view; a file in that state
  // fails its next write anyway.
  (void)RefreshReader();
}

}  // namespace jet
