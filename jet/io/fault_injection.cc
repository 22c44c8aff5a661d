#include "jet/io/fault_injection.h"

namespace jet {

Status SpendFaultCall(FaultBudget* budget, const std::string& verb, const std::string& path) {
  if (budget->tripped || budget->calls_left == 0) {
    budget->tripped = true;
    return Status::IOError("simulated crash before " + verb + " " + path);
  }
  --budget->calls_left;
  const uint64_t call = budget->calls_made++;
  if (budget->fail_once_at && *budget->fail_once_at == call) {
    return Status::IOError("Cannot " + verb + " '" + path + "': " + budget->fail_once_cause);
  }
  return Status::Ok();
}

namespace {

class FaultInjectingFile : public File {
 public:
  FaultInjectingFile(std::unique_ptr<File> base, std::shared_ptr<FaultBudget> budget)
      : base_(std::move(base)), budget_(std::move(budget)) {}

  Status ReadAt(uint64_t offset, size_t n, uint8_t* out) override {
    return base_->ReadAt(offset, n, out);
  }

  Status WriteAt(uint64_t offset, const uint8_t* data, size_t n) override {
    JET_RETURN_IF_ERROR(SpendFaultCall(budget_.get(), "write", name()));
    if (n > budget_->bytes_left) {
      // A torn write: the first bytes land, the rest never do.
      size_t part = static_cast<size_t>(budget_->bytes_left);
      budget_->bytes_left = 0;
      budget_->tripped = true;
      budget_->bytes_written += part;
      if (part > 0) JET_RETURN_IF_ERROR(base_->WriteAt(offset, data, part));
      return Status::IOError("simulated crash while writing " + name());
    }
    budget_->bytes_left -= n;
    budget_->bytes_written += n;
    return base_->WriteAt(offset, data, n);
  }

  Result<uint64_t> Size() override { return base_->Size(); }

  Status Resize(uint64_t size) override {
    JET_RETURN_IF_ERROR(SpendFaultCall(budget_.get(), "resize", name()));
    return base_->Resize(size);
  }

  Status Sync() override {
    JET_RETURN_IF_ERROR(SpendFaultCall(budget_.get(), "flush", name()));
    return base_->Sync();
  }

  const std::string& name() const override { return base_->name(); }

 private:
  std::unique_ptr<File> base_;
  std::shared_ptr<FaultBudget> budget_;
};

}  // namespace

Result<std::unique_ptr<File>> FaultInjectingFileSystem::Open(const std::string& path,
                                                                     OpenMode mode) {
  if (mode == OpenMode::kReadOnly) return base_->Open(path, mode);
  if (mode == OpenMode::kCreateOrReuse) {
    // Creating a file changes the folder, so it counts as a call.
    JET_ASSIGN_OR_RETURN(bool exists, base_->Exists(path));
    if (!exists) JET_RETURN_IF_ERROR(SpendFaultCall(budget_.get(), "create", path));
  }
  JET_ASSIGN_OR_RETURN(auto file, base_->Open(path, mode));
  return std::unique_ptr<File>(
      std::make_unique<FaultInjectingFile>(std::move(file), budget_));
}

Status FaultInjectingFileSystem::Remove(const std::string& path) {
  JET_RETURN_IF_ERROR(SpendFaultCall(budget_.get(), "remove", path));
  return base_->Remove(path);
}

Status FaultInjectingFileSystem::Rename(const std::string& from, const std::string& to) {
  JET_RETURN_IF_ERROR(SpendFaultCall(budget_.get(), "replace", to));
  return base_->Rename(from, to);
}

Status FaultInjectingFileSystem::SyncDirectoryOf(const std::string& path) {
  JET_RETURN_IF_ERROR(SpendFaultCall(budget_.get(), "flush the folder of", path));
  return base_->SyncDirectoryOf(path);
}

}  // namespace jet
