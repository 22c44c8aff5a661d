#include "jet/page_store.h"

#include "jet/header.h"
#include "jet/rc4.h"

namespace jet {

PageStore::PageStore(const ByteSource* source, const Format& format, uint32_t database_key,
                     size_t capacity)
    : source_(source),
      file_(&source->name()),
      format_(format),
      database_key_(database_key),
      capacity_(capacity < 4 ? 4 : capacity) {
  uint64_t pages = source_->size() / format_.page_size;
  page_count_ = pages > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(pages);
}

Status PageStore::Corrupt(uint32_t page, const std::string& what) const {
  return Status::Corruption(file() + ": page " + std::to_string(page) + ": " + what);
}

void PageStore::Reset() {
  lru_.clear();
  index_.clear();
  uint64_t pages = source_->size() / format_.page_size;
  page_count_ = pages > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(pages);
}

void PageStore::Replace(uint32_t page, std::vector<uint8_t> decoded) {
  if (page >= page_count_) page_count_ = page + 1;
  auto ref = std::make_shared<const std::vector<uint8_t>>(std::move(decoded));
  auto it = index_.find(page);
  if (it != index_.end()) {
    it->second->second = std::move(ref);
    lru_.splice(lru_.begin(), lru_, it->second);
    return;
  }
  lru_.emplace_front(page, std::move(ref));
  index_[page] = lru_.begin();
  if (lru_.size() > capacity_) {
    index_.erase(lru_.back().first);
    lru_.pop_back();
  }
}

Result<PageRef> PageStore::Get(uint32_t page) {
  auto it = index_.find(page);
  if (it != index_.end()) {
    lru_.splice(lru_.begin(), lru_, it->second);
    return it->second->second;
  }
  if (page >= page_count_) {
    return Status::Corruption(file() + ": reference to page " + std::to_string(page) +
                              " beyond the end of the file (" + std::to_string(page_count_) +
                              " pages)");
  }
  auto buf = std::make_shared<std::vector<uint8_t>>(format_.page_size);
  JET_RETURN_IF_ERROR(source_->ReadAt(static_cast<uint64_t>(page) * format_.page_size,
                                      format_.page_size, buf->data()));
  ++reads_;
  if (database_key_ != 0 && page != 0) {
    uint8_t key[4];
    PageKey(database_key_, page, key);
    Rc4Apply(key, sizeof key, buf->data(), buf->size());
  }
  PageRef ref = std::move(buf);
  lru_.emplace_front(page, ref);
  index_[page] = lru_.begin();
  if (lru_.size() > capacity_) {
    index_.erase(lru_.back().first);
    lru_.pop_back();
  }
  return ref;
}

}  // namespace jet
