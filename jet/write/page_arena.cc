#include "jet/write/page_arena.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace jet {

PageArena::~PageArena() {
  for (uint8_t* block : blocks_) ::operator delete(block, std::align_val_t{kBlockBytes});
}

uint8_t* PageArena::Take() {
  if (!free_.empty()) {
    uint8_t* page = free_.back();
    free_.pop_back();
    return page;
  }
  if (blocks_.empty() || used_in_last_ + page_size_ > kBlockBytes) {
    blocks_.reserve(blocks_.size() + 1);  // so that the push cannot lose the block
    // Aligned to its size, so that the whole block can be one huge page.
    auto* block = static_cast<uint8_t*>(::operator new(kBlockBytes, std::align_val_t{kBlockBytes}));
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only advice: without huge pages the block is faulted in page by page.
    (void)::madvise(block, kBlockBytes, MADV_HUGEPAGE);
#endif
    blocks_.push_back(block);
    used_in_last_ = 0;
  }
  uint8_t* page = blocks_.back() + used_in_last_;
  used_in_last_ += page_size_;
  return page;
}

}  // namespace jet
