#include "jet/update/writable_database.h"

#include "jet/table_scan.h"
#include "jet/update/update_session.h"

namespace jet {

namespace {

class WritableDatabase : public Database {
 public:
  explicit WritableDatabase(std::unique_ptr<WriteSession> write)
      : write_(std::move(write)), session_(&write_->store(), write_->header(), &write_->sink()) {}

  // A batch still open is committed: rows stored before a failure stay stored.
  ~WritableDatabase() override {
    if (batch_) (void)write_->Commit();
  }

  const std::string& path() const override { return write_->path(); }
  int jet_version() const override { return write_->header().format->version; }
  Result<std::vector<TableInfo>> ListTables() override { return write_->reader().ListTables(); }
  Result<TableDef> FindTable(std::string_view name) override {
    return write_->reader().FindTable(name);
  }

  Result<std::unique_ptr<TableCursor>> Scan(const TableDef& table) override {
    JET_ASSIGN_OR_RETURN(auto scan, TableScan::Open(&write_->store(), &write_->text(), table));
    return std::unique_ptr<TableCursor>(std::move(scan));
  }

  Result<std::vector<Value>> ReadRow(const TableDef& table, RowId row) override {
    return ReadRowAt(write_->store(), write_->text(), table, row);
  }

  Status UpdateRow(const TableDef& table, RowId row,
                   const std::vector<std::pair<size_t, Value>>& changes) override {
    if (!batch_) JET_RETURN_IF_ERROR(write_->Begin());
    Status s = session_.UpdateRow(table, row, changes);
    if (!s.ok()) {
      if (session_.sink_failed() || !batch_) Undo();
      return s;
    }
    if (batch_) return Status::Ok();
    return write_->Commit();
  }

  Status BeginBatch() override {
    if (batch_) return Status::InvalidArgument(path() + ": a batch is already open");
    JET_RETURN_IF_ERROR(write_->Begin());
    batch_ = true;
    return Status::Ok();
  }

  Status CommitBatch() override {
    if (!batch_) return Status::InvalidArgument(path() + ": no batch is open");
    batch_ = false;
    return write_->Commit();
  }

  Status RollbackBatch() override {
    if (!batch_) return Status::InvalidArgument(path() + ": no batch is open");
    Undo();
    return Status::Ok();
  }

 private:
  // Ends the open transaction without its changes and forgets cached pages.
  void Undo() {
    write_->Rollback();
    batch_ = false;
  }

  std::unique_ptr<WriteSession> write_;
  UpdateSession session_;
  bool batch_ = false;
};

}  // namespace

Result<std::unique_ptr<Database>> OpenDatabaseForUpdate(const std::string& path,
                                                        const WriteOptions& options) {
  JET_ASSIGN_OR_RETURN(auto write, WriteSession::Open(path, options));
  return std::unique_ptr<Database>(new WritableDatabase(std::move(write)));
}

}  // namespace jet
