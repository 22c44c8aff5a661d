#include "jet/write/journaled_file.h"

#include <algorithm>
#include <cstdint>
#include <random>

#include "jet/write/journal_format.h"

namespace jet {

namespace {

uint32_t NewSalt() {
  static std::random_device device;
  static uint32_t counter = 0;
  return device() ^ (++counter * 0x9E3779B9u);
}

// Copies the journal's original pages back into `db` and restores its size,
// once the whole journal has been checked (nothing is written otherwise).
// Sets `*valid` to whether the journal had been started (otherwise the
// database was never touched and nothing is done).
Status ApplyJournal(File* journal, File* db, bool* valid) {
  *valid = false;
  JET_ASSIGN_OR_RETURN(uint64_t journal_size, journal->Size());
  JET_ASSIGN_OR_RETURN(uint64_t database_size, db->Size());
  JET_ASSIGN_OR_RETURN(
      journal::RecoveryPlan plan,
      journal::PlanRecovery(
          [journal](uint64_t at, size_t n, uint8_t* out) { return journal->ReadAt(at, n, out); },
          journal_size, database_size,
          [db](uint64_t at, size_t n, uint8_t* out) { return db->ReadAt(at, n, out); }));
  if (plan.nothing_to_do) return Status::Ok();
  *valid = true;
  const uint32_t page_size = plan.header.page_size;
  std::vector<uint8_t> record(journal::RecordSize(page_size));
  for (const journal::RecoveryPlan::Record& r : plan.records) {
    JET_RETURN_IF_ERROR(journal->ReadAt(r.offset, record.size(), record.data()));
    JET_RETURN_IF_ERROR(db->WriteAt(uint64_t{r.page} * page_size, record.data() + 4, page_size));
  }
  JET_RETURN_IF_ERROR(db->Resize(plan.header.original_size));
  return db->Sync();
}

}  // namespace

Status RecoverJournal(FileSystem* fs, const std::string& path) {
  const std::string journal_path = journal::PathFor(path);
  JET_ASSIGN_OR_RETURN(bool exists, fs->Exists(journal_path));
  if (!exists) return Status::Ok();
  auto journal = fs->Open(journal_path, OpenMode::kExisting);
  if (!journal.ok()) {
    return journal.status().WithContext("Cannot roll back the interrupted change of '" + path +
                                        "'");
  }
  JET_ASSIGN_OR_RETURN(uint64_t journal_size, (*journal)->Size());
  if (journal_size > 0) {
    auto db = fs->Open(path, OpenMode::kExisting);
    if (!db.ok()) {
      return db.status().WithContext("Cannot roll back the interrupted change of '" + path + "'");
    }
    bool valid = false;
    Status applied = ApplyJournal(journal->get(), db->get(), &valid);
    if (applied.code() == Status::Code::kCorruption) {
      // Not Corruption: the database itself may be whole, and callers that
      // say "unrecognized format" for that would hide what is wrong.
      return Status::IOError("'" + journal_path + "' beside '" + path +
                                "' is damaged or was not written for this file (" +
                                applied.message() +
                                "); neither file was changed. Move that journal away only if "
                                "the file is known to be whole.");
    }
    JET_RETURN_IF_ERROR(applied);
    if (valid) {
      // Empty the journal durably before removing it, so a crash now cannot
      // bring back a journal that would roll back again over later changes.
      JET_RETURN_IF_ERROR((*journal)->Resize(0));
      JET_RETURN_IF_ERROR((*journal)->Sync());
    }
  }
  journal->reset();
  JET_RETURN_IF_ERROR(fs->Remove(journal_path));
  return fs->SyncDirectoryOf(journal_path);
}

Result<bool> HasHotJournal(FileSystem* fs, const std::string& path) {
  const std::string journal_path = journal::PathFor(path);
  JET_ASSIGN_OR_RETURN(bool exists, fs->Exists(journal_path));
  if (!exists) return false;
  JET_ASSIGN_OR_RETURN(auto journal, fs->Open(journal_path, OpenMode::kExisting));
  JET_ASSIGN_OR_RETURN(uint64_t size, journal->Size());
  // Any journal but one never started makes the file untrustworthy: a valid
  // one until it is rolled back, a damaged or foreign one because nothing
  // can tell what it would have restored. The header decides; records are
  // left to recovery.
  auto plan = journal::PlanRecovery(
      [&journal](uint64_t at, size_t n, uint8_t* out) { return journal->ReadAt(at, n, out); },
      std::min<uint64_t>(size, journal::kHeaderSize), UINT64_MAX);
  if (!plan.ok() && plan.status().code() != Status::Code::kCorruption) return plan.status();
  return !plan.ok() || !plan->nothing_to_do;
}

Result<std::unique_ptr<JournaledFile>> JournaledFile::Open(FileSystem* fs, const std::string& path,
                                                           uint32_t page_size,
                                                           JournalOptions options) {
  if (page_size < 512 || page_size > 65536) {
    return Status::InvalidArgument("page size " + std::to_string(page_size) + " is invalid");
  }
  // Open the database first so that a missing or read-only file is reported
  // as such rather than as a recovery failure.
  JET_ASSIGN_OR_RETURN(auto db, fs->Open(path, OpenMode::kExisting));
  JET_ASSIGN_OR_RETURN(bool hot, HasHotJournal(fs, path));
  if (hot) {
    return Status::IOError("'" + path + "' has an interrupted change in '" +
                           journal::PathFor(path) + "' to roll back first");
  }
  JET_ASSIGN_OR_RETURN(uint64_t size, db->Size());
  std::unique_ptr<JournaledFile> file(
      new JournaledFile(fs, path, page_size, options, std::move(db), size));
  // Create the (empty) journal now: a folder we cannot write to is reported
  // at open, before any change is attempted.
  JET_ASSIGN_OR_RETURN(file->journal_, fs->Open(file->journal_path_, OpenMode::kCreateOrReuse));
  ++file->stats_.syncs;
  JET_RETURN_IF_ERROR(fs->SyncDirectoryOf(file->journal_path_));
  return file;
}

JournaledFile::JournaledFile(FileSystem* fs, std::string path, uint32_t page_size,
                             JournalOptions options, std::unique_ptr<File> db,
                             uint64_t size)
    : fs_(fs),
      path_(std::move(path)),
      journal_path_(journal::PathFor(path_)),
      page_size_(page_size),
      options_(options),
      db_(std::move(db)),
      size_(size),
      original_size_(size),
      pages_(page_size) {}

JournaledFile::~JournaledFile() {
  if (in_transaction_ && failed_.ok()) (void)Rollback();
  ReleaseStep();
  if (journal_ != nullptr && failed_.ok()) {
    journal_.reset();
    (void)fs_->Remove(journal_path_);
  }
}

Status JournaledFile::Usable() const {
  if (!failed_.ok()) {
    return Status::IOError("'" + path_ + "' must be reopened to recover from an earlier failure (" +
                           failed_.message() + ")");
  }
  return Status::Ok();
}

Status JournaledFile::Fail(Status status) {
  failed_ = status;
  return status;
}

Status JournaledFile::HoldStep() {
  if (holding_step_ || options_.step_lock == nullptr) return Status::Ok();
  JET_RETURN_IF_ERROR(options_.step_lock->BeginStep());
  holding_step_ = true;
  return Status::Ok();
}

void JournaledFile::ReleaseStep() {
  if (!holding_step_) return;
  holding_step_ = false;
  options_.step_lock->EndStep();
}

Status JournaledFile::Sync(File* file) {
  ++stats_.syncs;
  return file->Sync();
}

Status JournaledFile::RecoverIfFailed() {
  if (failed_.ok()) return Status::Ok();
  if (!Recover().ok()) return Usable();
  return Status::Ok();
}

Status JournaledFile::ReadPage(uint32_t page, uint8_t* out) {
  JET_RETURN_IF_ERROR(RecoverIfFailed());
  auto it = pending_.find(page);
  if (it != pending_.end()) {
    std::copy_n(it->second, page_size_, out);
    return Status::Ok();
  }
  const uint64_t offset = uint64_t{page} * page_size_;
  if (offset + page_size_ > size_) {
    return Status::Corruption("page " + std::to_string(page) + " lies beyond the end of '" + path_ +
                              "'");
  }
  return db_->ReadAt(offset, page_size_, out);
}

Status JournaledFile::ReadPages(uint32_t first, uint32_t count, uint8_t* out) {
  JET_RETURN_IF_ERROR(RecoverIfFailed());
  const uint64_t offset = uint64_t{first} * page_size_;
  const uint64_t bytes = uint64_t{count} * page_size_;
  if (offset + bytes > size_) {
    return Status::Corruption("pages " + std::to_string(first) + " to " +
                              std::to_string(uint64_t{first} + count - 1) +
                              " lie beyond the end of '" + path_ + "'");
  }
  // The file holds every page that is not pending (pages appended and still
  // pending may lie past its end): read up to the last such page in one go,
  // then lay the pending pages over it.
  uint32_t from_file = count;
  while (from_file > 0 && pending_.count(first + from_file - 1) != 0) --from_file;
  if (from_file > 0) {
    JET_RETURN_IF_ERROR(db_->ReadAt(offset, size_t{from_file} * page_size_, out));
  }
  for (auto it = pending_.lower_bound(first); it != pending_.end() && it->first - first < count;
       ++it) {
    std::copy_n(it->second, page_size_, out + size_t{it->first - first} * page_size_);
  }
  return Status::Ok();
}

void JournaledFile::ClearPending() {
  for (const auto& [page, bytes] : pending_) pages_.Give(bytes);
  pending_.clear();
}

Status JournaledFile::Begin() {
  JET_RETURN_IF_ERROR(RecoverIfFailed());
  if (in_transaction_) return Status::InvalidArgument("a transaction is already open");
  in_transaction_ = true;
  journal_started_ = false;
  original_size_ = size_;
  journaled_.clear();
  ClearPending();
  return Status::Ok();
}

Status JournaledFile::WritePage(uint32_t page, const uint8_t* data) {
  JET_RETURN_IF_ERROR(Usable());
  if (!in_transaction_) return Status::InvalidArgument("page written outside a transaction");
  const uint64_t offset = uint64_t{page} * page_size_;
  if (offset > size_) {
    return Status::InvalidArgument("page " + std::to_string(page) + " is beyond the end of '" +
                                   path_ + "' (" + std::to_string(page_count()) + " pages)");
  }
  auto [it, added] = pending_.try_emplace(page);
  if (added) it->second = pages_.Take();
  std::copy_n(data, page_size_, it->second);
  if (offset + page_size_ > size_) size_ = offset + page_size_;
  if (pending_.size() > options_.max_pending_pages) {
    Status s = WritePending();
    // Refused access leaves the file untouched: the caller rolls back.
    if (s.code() == Status::Code::kLocked) return s;
    if (!s.ok()) return Fail(s);
  }
  return Status::Ok();
}

Status JournaledFile::StartJournal() {
  salt_ = NewSalt();
  journal::Header header{page_size_, original_size_, salt_};
  // Nothing of this transaction is in the file yet: page 0 is the original.
  std::vector<uint8_t> page0(page_size_, 0);
  JET_RETURN_IF_ERROR(db_->ReadAt(
      0, static_cast<size_t>(std::min<uint64_t>(page_size_, original_size_)), page0.data()));
  header.fingerprint = journal::Fingerprint(page0.data(), page0.size());
  const auto bytes = journal::EncodeHeader(header);
  JET_RETURN_IF_ERROR(journal_->Resize(0));
  JET_RETURN_IF_ERROR(journal_->WriteAt(0, bytes.data(), bytes.size()));
  journal_end_ = bytes.size();
  journal_started_ = true;
  return Status::Ok();
}

Status JournaledFile::WritePending() {
  if (pending_.empty()) return Status::Ok();
  JET_RETURN_IF_ERROR(HoldStep());
  // A large batch touches tens of thousands of pages, often a few apart:
  // originals are read a span at a time (reading the few untouched pages in
  // between along, rather than paying a read for each piece), journaled a
  // megabyte per write, and consecutive pages reach the database in one
  // write. The system is asked to start storing what was written every few
  // megabytes, so that the flushes find most of it done.
  constexpr uint32_t kSpanPages = 256;
  constexpr uint32_t kMaxGapPages = 8;
  constexpr size_t kJournalWriteBytes = size_t{1} << 20;
  constexpr uint64_t kWritebackBytes = uint64_t{8} << 20;
  // 1. Save the originals of existing pages not yet saved in this
  //    transaction, and the old size; flush the journal.
  const bool first = !journal_started_;
  if (first) JET_RETURN_IF_ERROR(StartJournal());
  auto needs_original = [&](uint32_t page) {
    return uint64_t{page} * page_size_ < original_size_ && journaled_.count(page) == 0;
  };
  const size_t record_size = journal::RecordSize(page_size_);
  std::vector<uint8_t>& originals = originals_;
  std::vector<uint8_t>& records = records_;
  records.clear();
  auto write_records = [&]() -> Status {
    if (records.empty()) return Status::Ok();
    JET_RETURN_IF_ERROR(journal_->WriteAt(journal_end_, records.data(), records.size()));
    journal_->StartWriteback(journal_end_, records.size());
    journal_end_ += records.size();
    records.clear();
    return Status::Ok();
  };
  bool added = false;
  std::vector<uint32_t> span;
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (!needs_original(it->first)) {
      ++it;
      continue;
    }
    const uint32_t start = it->first;
    span.clear();
    while (it != pending_.end() && it->first - start < kSpanPages &&
           (span.empty() || it->first - span.back() <= kMaxGapPages + 1)) {
      if (needs_original(it->first)) span.push_back(it->first);
      ++it;
    }
    const uint64_t offset = uint64_t{start} * page_size_;
    const size_t bytes = size_t{span.back() - start + 1} * page_size_;
    const size_t have = static_cast<size_t>(std::min<uint64_t>(bytes, original_size_ - offset));
    originals.resize(bytes);
    JET_RETURN_IF_ERROR(db_->ReadAt(offset, have, originals.data()));
    std::fill(originals.begin() + static_cast<std::ptrdiff_t>(have), originals.end(), uint8_t{0});
    for (uint32_t page : span) {
      const size_t at = records.size();
      records.resize(at + record_size);
      journal::EncodeRecordTo(salt_, page, originals.data() + size_t{page - start} * page_size_,
                              page_size_, records.data() + at);
      journaled_.insert(page);
      if (records.size() >= kJournalWriteBytes) JET_RETURN_IF_ERROR(write_records());
    }
    stats_.pages_journaled += span.size();
    added = true;
  }
  JET_RETURN_IF_ERROR(write_records());
  if (first || added) JET_RETURN_IF_ERROR(Sync(journal_.get()));
  // 2. Only now touch the database.
  std::vector<uint8_t>& run = run_;
  uint64_t unhinted_from = UINT64_MAX;  // start of what was written since the last hint
  for (auto it = pending_.begin(); it != pending_.end();) {
    const uint32_t run_start = it->first;
    uint32_t run_pages = 0;
    run.clear();
    while (it != pending_.end() && it->first == run_start + run_pages && run_pages < kSpanPages) {
      run.insert(run.end(), it->second, it->second + page_size_);
      ++run_pages;
      ++it;
    }
    const uint64_t offset = uint64_t{run_start} * page_size_;
    JET_RETURN_IF_ERROR(db_->WriteAt(offset, run.data(), run.size()));
    stats_.pages_written += run_pages;
    unhinted_from = std::min(unhinted_from, offset);
    if (offset + run.size() - unhinted_from >= kWritebackBytes) {
      db_->StartWriteback(unhinted_from, offset + run.size() - unhinted_from);
      unhinted_from = UINT64_MAX;
    }
  }
  ClearPending();
  return Status::Ok();
}

Status JournaledFile::Commit() {
  JET_RETURN_IF_ERROR(Usable());
  if (!in_transaction_) return Status::InvalidArgument("commit without a transaction");
  if (pending_.empty() && !journal_started_) {
    in_transaction_ = false;
    return Status::Ok();
  }
  Status s = WritePending();
  if (s.ok()) s = Sync(db_.get());
  if (s.ok()) {
    // The commit point: once the emptied journal is on disk, nothing will
    // roll this transaction back.
    s = journal_->Resize(0);
    if (s.ok()) {
      s = Sync(journal_.get());
      // The originals are gone, so there is nothing left to roll back to;
      // whether the change survives a crash now is unknown.
      if (!s.ok()) {
        ReleaseStep();
        return Fail(Status::IOError("the change to '" + path_ +
                                    "' was written but may not be durable: " + s.message()));
      }
    }
  }
  if (!s.ok()) {
    Status undo = Rollback();
    if (!undo.ok()) {
      ReleaseStep();
      return Fail(s);
    }
    return s;
  }
  ReleaseStep();
  in_transaction_ = false;
  journal_started_ = false;
  original_size_ = size_;
  return Status::Ok();
}

Status JournaledFile::Recover() {
  if (failed_.ok()) return Status::Ok();
  journal_.reset();
  db_.reset();
  JET_RETURN_IF_ERROR(HoldStep());
  Status s = RecoverJournal(fs_, path_);
  ReleaseStep();
  JET_RETURN_IF_ERROR(s);
  JET_ASSIGN_OR_RETURN(db_, fs_->Open(path_, OpenMode::kExisting));
  JET_ASSIGN_OR_RETURN(size_, db_->Size());
  JET_ASSIGN_OR_RETURN(journal_, fs_->Open(journal_path_, OpenMode::kCreateOrReuse));
  original_size_ = size_;
  in_transaction_ = false;
  journal_started_ = false;
  journaled_.clear();
  ClearPending();
  failed_ = Status::Ok();
  return Status::Ok();
}

Status JournaledFile::Rollback() {
  // After a failure the journal does the undoing.
  if (!failed_.ok()) return RecoverIfFailed();
  if (!in_transaction_) return Status::InvalidArgument("rollback without a transaction");
  ClearPending();
  if (journal_started_) {
    bool valid = false;
    Status s = ApplyJournal(journal_.get(), db_.get(), &valid);
    if (s.ok()) s = journal_->Resize(0);
    if (s.ok()) s = Sync(journal_.get());
    if (!s.ok()) {
      ReleaseStep();
      return Fail(s);
    }
  }
  ReleaseStep();
  in_transaction_ = false;
  journal_started_ = false;
  size_ = original_size_;
  return Status::Ok();
}

}  // namespace jet
