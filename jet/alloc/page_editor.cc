#include "jet/alloc/page_editor.h"

namespace jet {

Result<ByteView> PageEditor::Read(uint32_t page) {
  auto it = changes_.find(page);
  if (it != changes_.end()) return ByteView{it->second.data(), it->second.size()};
  auto held = held_.find(page);
  if (held != held_.end()) return View(held->second);
  JET_ASSIGN_OR_RETURN(PageRef p, store_->Get(page));
  held_[page] = p;
  return View(p);
}

Result<uint8_t*> PageEditor::Edit(uint32_t page) {
  auto it = changes_.find(page);
  if (it != changes_.end()) return it->second.data();
  if (page >= page_count_) {
    return store_->Corrupt(page, "write beyond the end of the file (" +
                                     std::to_string(page_count_) + " pages)");
  }
  JET_ASSIGN_OR_RETURN(ByteView v, Read(page));
  auto& copy = changes_[page];
  copy.assign(v.data, v.data + v.size);
  held_.erase(page);
  return copy.data();
}

Status PageEditor::Put(uint32_t page, std::vector<uint8_t>* bytes) {
  if (page >= page_count_ || bytes->size() != store_->page_size()) {
    return store_->Corrupt(page, "write of " + std::to_string(bytes->size()) +
                                     " bytes beyond the end of the file (" +
                                     std::to_string(page_count_) + " pages) or not one page");
  }
  changes_[page].swap(*bytes);
  held_.erase(page);
  return Status::Ok();
}

uint32_t PageEditor::Append() {
  uint32_t page = page_count_++;
  changes_[page].assign(store_->page_size(), 0);
  return page;
}

void PageEditor::Clear() {
  changes_.clear();
  held_.clear();
  page_count_ = store_->page_count();
}

std::map<uint32_t, std::vector<uint8_t>> PageEditor::TakeChanges() {
  std::map<uint32_t, std::vector<uint8_t>> taken = std::move(changes_);
  changes_.clear();
  held_.clear();
  return taken;
}

}  // namespace jet
