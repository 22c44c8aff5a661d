#include "jet/create/page_image.h"

#include <cstring>

namespace jet::create {

Status ImageByteSource::ReadAt(uint64_t offset, size_t n, uint8_t* out) const {
  const auto& b = image_->bytes();
  if (offset > b.size() || n > b.size() - offset) {
    return Status::Corruption(name_ + ": read of " + std::to_string(n) + " bytes at " +
                              std::to_string(offset) + " runs past the end");
  }
  std::memcpy(out, b.data() + offset, n);
  return Status::Ok();
}

}  // namespace jet::create
