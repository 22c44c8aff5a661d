#include "jet/update/writable_database.h"

#include "jet/header.h"
#include "jet/page_store.h"
#include "jet/table_scan.h"
#include "jet/text_codec.h"
#include "jet/update/update_session.h"
#include "jet/write/journaled_source.h"
#include "jet/write/write_lock.h"

namespace jet {

namespace {

class JournalSink : public PageSink {
 public:
  explicit JournalSink(JournaledFile* file) : file_(file) {}
  Status WritePage(uint32_t page, const uint8_t* data) override {
    return file_->WritePage(page, data);
  }

 private:
  JournaledFile* file_;
};

class WritableDatabase : public Database {
 public:
  WritableDatabase(std::unique_ptr<WriteLock> lock, std::unique_ptr<JournaledFile> file,
                   std::string path, Header header, std::unique_ptr<Database> reader)
      : lock_(std::move(lock)),
        file_(std::move(file)),
        path_(std::move(path)),
        header_(std::move(header)),
        reader_(std::move(reader)),
        source_(file_.get(), path_),
        store_(&source_, *header_.format, header_.database_key),
        text_(header_.format->text_utf16, header_.code_page),
        sink_(file_.get()),
        session_(&store_, header_, &sink_) {}

  // A batch still open is committed: rows stored before a failure stay stored.
  ~WritableDatabase() override {
    if (batch_) (void)file_->Commit();
  }

  const std::string& path() const override { return path_; }
  int jet_version() const override { return header_.format->version; }
  Result<std::vector<TableInfo>> ListTables() override { return reader_->ListTables(); }
  Result<TableDef> FindTable(std::string_view name) override { return reader_->FindTable(name); }

  Result<std::unique_ptr<TableCursor>> Scan(const TableDef& table) override {
    JET_ASSIGN_OR_RETURN(auto scan, TableScan::Open(&store_, &text_, table));
    return std::unique_ptr<TableCursor>(std::move(scan));
  }

  Result<std::vector<Value>> ReadRow(const TableDef& table, RowId row) override {
    return ReadRowAt(store_, text_, table, row);
  }

  Status UpdateRow(const TableDef& table, RowId row,
                   const std::vector<std::pair<size_t, Value>>& changes) override {
    if (!batch_) JET_RETURN_IF_ERROR(file_->Begin());
    Status s = session_.UpdateRow(table, row, changes);
    if (!s.ok()) {
      if (session_.sink_failed() || !batch_) Undo();
      return s;
    }
    if (batch_) return Status::Ok();
    Status c = file_->Commit();
    if (!c.ok()) store_.Reset();
    return c;
  }

  Status BeginBatch() override {
    if (batch_) return Status::InvalidArgument(path_ + ": a batch is already open");
    JET_RETURN_IF_ERROR(file_->Begin());
    batch_ = true;
    return Status::Ok();
  }

  Status CommitBatch() override {
    if (!batch_) return Status::InvalidArgument(path_ + ": no batch is open");
    batch_ = false;
    Status c = file_->Commit();
    if (!c.ok()) store_.Reset();
    return c;
  }

  Status RollbackBatch() override {
    if (!batch_) return Status::InvalidArgument(path_ + ": no batch is open");
    Undo();
    return Status::Ok();
  }

 private:
  // Ends the open transaction without its changes and forgets cached pages.
  void Undo() {
    if (file_->in_transaction()) (void)file_->Rollback();
    batch_ = false;
    store_.Reset();
  }

  std::unique_ptr<WriteLock> lock_;  // released last
  std::unique_ptr<JournaledFile> file_;
  std::string path_;
  Header header_;
  std::unique_ptr<Database> reader_;  // catalog and definitions, which updates never change
  JournaledFileSource source_;
  PageStore store_;
  TextDecoder text_;
  JournalSink sink_;
  UpdateSession session_;
  bool batch_ = false;
};

}  // namespace

Result<std::unique_ptr<Database>> OpenDatabaseForUpdate(const std::string& path,
                                                        const OpenOptions& options,
                                                        const UpdateOpenOptions& more) {
  FileSystem* fs = more.fs != nullptr ? more.fs : PosixFileSystem();
  std::unique_ptr<WriteLock> lock;
  if (more.lock) {
    JET_ASSIGN_OR_RETURN(lock, WriteLock::Acquire(path));
  }
  // The header can be trusted only once an interrupted run is rolled back.
  JET_RETURN_IF_ERROR(RecoverJournal(fs, path));
  uint32_t page_size = 0;
  {
    JET_ASSIGN_OR_RETURN(auto f, fs->Open(path, OpenMode::kExisting));
    std::vector<uint8_t> raw(kHeaderReadSize);
    JET_ASSIGN_OR_RETURN(uint64_t size, f->Size());
    if (size < raw.size()) {
      return Status::Corruption(path + ": too short to be an Access database (" +
                                std::to_string(size) + " bytes)");
    }
    JET_RETURN_IF_ERROR(f->ReadAt(0, raw.size(), raw.data()));
    JET_ASSIGN_OR_RETURN(Header h, ParseHeader(raw, path));
    JET_RETURN_IF_ERROR(CheckPassword(h, options.password));
    JET_RETURN_IF_ERROR(CheckWritableFormat(h, path));
    page_size = h.format->page_size;
  }
  JET_ASSIGN_OR_RETURN(auto file, JournaledFile::Open(fs, path, page_size, more.journal));
  std::vector<uint8_t> raw(kHeaderReadSize);
  JournaledFileSource probe(file.get(), path);
  JET_RETURN_IF_ERROR(probe.ReadAt(0, raw.size(), raw.data()));
  JET_ASSIGN_OR_RETURN(Header header, ParseHeader(raw, path));
  JET_ASSIGN_OR_RETURN(auto reader,
                       OpenDatabase(std::make_unique<JournaledFileSource>(file.get(), path),
                                    options));
  return std::unique_ptr<Database>(new WritableDatabase(std::move(lock), std::move(file), path,
                                                        std::move(header), std::move(reader)));
}

Result<std::unique_ptr<Database>> OpenDatabaseForReading(const std::string& path,
                                                         const OpenOptions& options,
                                                         FileSystem* fs) {
  JET_ASSIGN_OR_RETURN(bool hot, HasHotJournal(fs != nullptr ? fs : PosixFileSystem(), path));
  if (hot) {
    return Status::IOError(path + ": an interrupted write left '" + path +
                           "-journal' beside it; open the file for writing once to restore it "
                           "before reading");
  }
  return Database::Open(path, options);
}

}  // namespace jet
