#include "jet/page_store.h"

#include <algorithm>
#include <cstring>

#include "jet/crypto/office_cipher.h"
#include "jet/header.h"
#include "jet/rc4.h"

namespace jet {

namespace {
constexpr uint32_t kSequentialReadPages = 16;
}  // namespace

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
  PageRef ref = std::make_shared<std::vector<uint8_t>>(std::move(decoded));
  auto it = index_.find(page);
  if (it != index_.end()) {
    std::swap(it->second->second, ref);
    lru_.splice(lru_.begin(), lru_, it->second);
    Recycle(std::move(ref));
    return;
  }
  lru_.emplace_front(page, std::move(ref));
  index_[page] = lru_.begin();
  if (lru_.size() > capacity_) Evict();
}

void PageStore::Evict() {
  auto& [number, ref] = lru_.back();
  index_.erase(number);
  Recycle(std::move(ref));
  lru_.pop_back();
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
  // Pages asked for one after another, as rows are read in storage order,
  // are read several at a time: one read of the source instead of one each.
  if (page != 0 && page - 1 == last_read_) {
    ReadAhead(page, kSequentialReadPages);
    it = index_.find(page);
    if (it != index_.end()) return it->second->second;
  }
  if (lru_.size() >= capacity_) Evict();
  std::shared_ptr<std::vector<uint8_t>> buf = TakeBuffer();
  JET_RETURN_IF_ERROR(source_->ReadAt(static_cast<uint64_t>(page) * format_.page_size,
                                      format_.page_size, buf->data()));
  last_read_ = page;
  return Insert(page, std::move(buf));
}

void PageStore::ReadAhead(uint32_t first, uint32_t count) {
  count = std::min({count, static_cast<uint32_t>(capacity_ / 4),
                    first < page_count_ ? page_count_ - first : 0u});
  uint32_t n = 0;
  while (n < count && index_.find(first + n) == index_.end()) ++n;
  if (n < 2) return;
  const size_t size = format_.page_size;
  ahead_.resize(size_t{n} * size);
  if (!source_->ReadAt(uint64_t{first} * size, ahead_.size(), ahead_.data()).ok()) return;
  last_read_ = first + n - 1;
  for (uint32_t i = 0; i < n; ++i) {
    if (lru_.size() >= capacity_) Evict();
    std::shared_ptr<std::vector<uint8_t>> buf = TakeBuffer();
    std::memcpy(buf->data(), ahead_.data() + size_t{i} * size, size);
    (void)Insert(first + i, std::move(buf));
  }
}

std::shared_ptr<std::vector<uint8_t>> PageStore::TakeBuffer() {
  if (spares_.empty()) return std::make_shared<std::vector<uint8_t>>(format_.page_size);
  std::shared_ptr<std::vector<uint8_t>> buf = std::move(spares_.back());
  spares_.pop_back();
  return buf;
}

void PageStore::Recycle(PageRef page) {
  // A handful covers a read-ahead's worth of pages; more would only hold memory.
  constexpr size_t kMaxSpares = 64;
  if (page.use_count() != 1 || page->size() != format_.page_size || spares_.size() >= kMaxSpares) {
    return;
  }
  // Every page here was made as a mutable vector (see TakeBuffer and Replace).
  spares_.push_back(std::const_pointer_cast<std::vector<uint8_t>>(std::move(page)));
}

std::vector<uint8_t> PageStore::TakePageBuffer() {
  if (spares_.empty()) return std::vector<uint8_t>(format_.page_size);
  std::vector<uint8_t> buffer = std::move(*spares_.back());
  spares_.pop_back();
  return buffer;
}

Status PageStore::Encode(uint32_t page, uint8_t* data) const {
  if (page == 0) return Status::Ok();
  // Reading removes the RC4 mask first and the Office cipher second.
  if (cipher_ && !cipher_->Encode(page, data, format_.page_size)) {
    return Corrupt(page, "the page could not be encrypted");
  }
  if (database_key_ != 0) {
    uint8_t key[4];
    PageKey(database_key_, page, key);
    Rc4Apply(key, sizeof key, data, format_.page_size);
  }
  return Status::Ok();
}

PageRef PageStore::Insert(uint32_t page, std::shared_ptr<std::vector<uint8_t>> buf) {
  ++reads_;
  if (database_key_ != 0 && page != 0) {
    uint8_t key[4];
    PageKey(database_key_, page, key);
    Rc4Apply(key, sizeof key, buf->data(), buf->size());
  }
  if (cipher_ && page != 0) cipher_->Decode(page, buf->data(), buf->size());
  PageRef ref = std::move(buf);
  lru_.emplace_front(page, ref);
  index_[page] = lru_.begin();
  return ref;
}

}  // namespace jet
