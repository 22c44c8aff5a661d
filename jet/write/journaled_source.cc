#include "jet/write/journaled_source.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace jet {

Status JournaledFileSource::ReadAt(uint64_t offset, size_t n, uint8_t* out) const {
  if (offset > size() || n > size() - offset) {
    return Status::Corruption("'" + name_ + "' is shorter than the " + std::to_string(n) +
                              " bytes read at " + std::to_string(offset));
  }
  const uint32_t page_size = file_->page_size();
  if (offset % page_size == 0 && n % page_size == 0 && n > 0) {
    return file_->ReadPages(static_cast<uint32_t>(offset / page_size),
                            static_cast<uint32_t>(n / page_size), out);
  }
  std::vector<uint8_t> page(page_size);
  while (n > 0) {
    const uint32_t number = static_cast<uint32_t>(offset / page_size);
    const size_t within = static_cast<size_t>(offset % page_size);
    const size_t take = std::min(n, size_t{page_size} - within);
    JET_RETURN_IF_ERROR(file_->ReadPage(number, page.data()));
    std::memcpy(out, page.data() + within, take);
    out += take;
    offset += take;
    n -= take;
  }
  return Status::Ok();
}

}  // namespace jet
