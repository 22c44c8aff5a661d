// A file image of blank pages with helpers to lay out data pages by hand.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/format.h"

namespace jet::testing {

class PageImage {
 public:
  PageImage(const Format& format, uint32_t pages)
      : format_(format), bytes_(size_t{format.page_size} * pages) {}

  uint8_t* page(uint32_t n) { return bytes_.data() + size_t{n} * format_.page_size; }
  void Put(uint32_t page_number, size_t off, uint32_t v, size_t n) {
    for (size_t i = 0; i < n; ++i) page(page_number)[off + i] = static_cast<uint8_t>(v >> (8 * i));
  }

  // Makes `n` a data page owned by `owner` holding `rows` (stored from the page
  // end downwards, slot 0 highest). `flags[i]` is or-ed into slot i's entry.
  void DataPage(uint32_t n, uint32_t owner, const std::vector<std::vector<uint8_t>>& rows,
                const std::vector<uint16_t>& flags = {}) {
    uint8_t* p = page(n);
    p[0] = kPageData;
    p[1] = 1;
    Put(n, 4, owner, 4);
    Put(n, format_.data_row_count, static_cast<uint32_t>(rows.size()), 2);
    size_t end = format_.page_size;
    for (size_t i = 0; i < rows.size(); ++i) {
      size_t start = end - rows[i].size();
      std::copy(rows[i].begin(), rows[i].end(), p + start);
      uint16_t f = i < flags.size() ? flags[i] : 0;
      Put(n, format_.data_first_slot + 2 * i, static_cast<uint32_t>(start | f), 2);
      end = start;
    }
  }

  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  const Format& format_;
  std::vector<uint8_t> bytes_;
};

inline uint32_t RowPtr(uint32_t page, uint8_t slot) { return (page << 8) | slot; }

inline std::vector<uint8_t> Le(uint32_t v, size_t n) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return out;
}

inline std::vector<uint8_t> Cat(std::vector<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace jet::testing
