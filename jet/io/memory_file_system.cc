#include "jet/io/memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace jet {

namespace {

class MemoryFile : public File {
 public:
  MemoryFile(std::string name, std::shared_ptr<MemoryFileSystem::Node> node)
      : name_(std::move(name)), node_(std::move(node)) {}

  Status ReadAt(uint64_t offset, size_t n, uint8_t* out) override {
    const auto& d = node_->data;
    if (offset > d.size() || n > d.size() - offset) {
      return Status::Corruption("'" + name_ + "' is shorter than the " + std::to_string(n) +
                                " bytes read at " + std::to_string(offset));
    }
    if (n > 0) std::memcpy(out, d.data() + offset, n);
    return Status::Ok();
  }

  Status WriteAt(uint64_t offset, const uint8_t* data, size_t n) override {
    auto& d = node_->data;
    if (offset + n > d.size()) d.resize(offset + n, 0);
    if (n > 0) std::memcpy(d.data() + offset, data, n);
    return Status::Ok();
  }

  Result<uint64_t> Size() override { return static_cast<uint64_t>(node_->data.size()); }

  Status Resize(uint64_t size) override {
    node_->data.resize(size, 0);
    return Status::Ok();
  }

  Status Sync() override {
    node_->synced = node_->data;
    return Status::Ok();
  }

  const std::string& name() const override { return name_; }

 private:
  std::string name_;
  std::shared_ptr<MemoryFileSystem::Node> node_;
};

}  // namespace

Result<std::unique_ptr<File>> MemoryFileSystem::Open(const std::string& path,
                                                             OpenMode mode) {
  auto it = live_.find(path);
  if (it == live_.end()) {
    if (mode != OpenMode::kCreateOrReuse) {
      return Status::NotFound("Could not find file '" + path + "'.");
    }
    it = live_.emplace(path, std::make_shared<Node>()).first;
  }
  if (it->second->read_only && mode != OpenMode::kReadOnly) return Status::ReadOnly("The file '" + path + "' is read-only.");
  return std::unique_ptr<File>(std::make_unique<MemoryFile>(path, it->second));
}

Result<bool> MemoryFileSystem::Exists(const std::string& path) { return live_.count(path) != 0; }

Status MemoryFileSystem::Remove(const std::string& path) {
  live_.erase(path);
  return Status::Ok();
}

Status MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  auto it = live_.find(from);
  if (it == live_.end()) return Status::NotFound("Could not find file '" + from + "'.");
  live_[to] = it->second;
  live_.erase(it);
  return Status::Ok();
}

bool MemoryFileSystem::CanWrite(const std::string& path) {
  auto it = live_.find(path);
  return it != live_.end() && !it->second->read_only;
}

Status MemoryFileSystem::SyncDirectoryOf(const std::string&) {
  durable_ = live_;
  return Status::Ok();
}

std::vector<uint8_t> MemoryFileSystem::Contents(const std::string& path) const {
  auto it = live_.find(path);
  return it == live_.end() ? std::vector<uint8_t>{} : it->second->data;
}

void MemoryFileSystem::Put(const std::string& path, std::vector<uint8_t> bytes) {
  auto node = std::make_shared<Node>();
  node->data = std::move(bytes);
  node->synced = node->data;
  live_[path] = node;
  durable_[path] = node;
}

void MemoryFileSystem::SetReadOnly(const std::string& path, bool read_only) {
  auto it = live_.find(path);
  if (it != live_.end()) it->second->read_only = read_only;
}

void MemoryFileSystem::LoseUnsyncedChanges() {
  live_ = durable_;
  for (auto& [name, node] : live_) node->data = node->synced;
}

void MemoryFileSystem::LoseUnsyncedChangesOf(const std::function<bool(const std::string&)>& lose) {
  for (auto it = live_.begin(); it != live_.end();) {
    if (!lose(it->first)) {
      ++it;
      continue;
    }
    auto durable = durable_.find(it->first);
    if (durable == durable_.end() || durable->second != it->second) {
      it = live_.erase(it);
      continue;
    }
    it->second->data = it->second->synced;
    ++it;
  }
  // Names removed but never durably removed come back with their flushed data.
  for (auto& [name, node] : durable_) {
    if (lose(name) && live_.count(name) == 0) {
      node->data = node->synced;
      live_[name] = node;
    }
  }
}

}  // namespace jet
