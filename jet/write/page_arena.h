// Page buffers carved from large blocks, for the pages a transaction keeps
// pending. A batch holds thousands of them; taken one by one from the heap,
// each costs a page fault when first written, and on a virtual machine a
// fault costs more than copying the page many times over. Blocks are asked
// to be backed by huge pages where the system offers them, buffers given
// back are handed out again, and the blocks go with the arena.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace jet {

class PageArena {
 public:
  explicit PageArena(size_t page_size) : page_size_(page_size) {}
  ~PageArena();
  PageArena(const PageArena&) = delete;
  PageArena& operator=(const PageArena&) = delete;

  // A buffer of page_size bytes (contents unspecified), valid until it is
  // given back or the arena goes.
  uint8_t* Take();
  // Makes a buffer from Take() available again.
  void Give(uint8_t* page) { free_.push_back(page); }

  size_t blocks() const { return blocks_.size(); }
  static constexpr size_t kBlockBytes = size_t{2} << 20;

 private:
  size_t page_size_;
  std::vector<uint8_t*> blocks_;
  size_t used_in_last_ = 0;  // bytes handed out of the last block
  std::vector<uint8_t*> free_;
};

}  // namespace jet
