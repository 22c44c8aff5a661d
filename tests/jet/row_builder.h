// Builds stored rows by hand for decoder tests: fixed bytes, variable values
// and the null mask, laid out the way Jet 3 or Jet 4 stores them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace jet::testing {

struct RowParts {
  size_t column_count = 0;           // columns the row claims (null mask width)
  std::vector<uint8_t> fixed;        // the fixed-length area
  std::vector<std::optional<std::vector<uint8_t>>> vars;  // by variable index; nullopt = NULL
  std::vector<size_t> set_bits;      // column numbers whose mask bit is set
};

inline void PutLe(std::vector<uint8_t>* out, uint32_t v, size_t n) {
  for (size_t i = 0; i < n; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Jet 4: two-byte counts and offsets.
inline std::vector<uint8_t> BuildRow4(const RowParts& s) {
  std::vector<uint8_t> row;
  PutLe(&row, static_cast<uint32_t>(s.column_count), 2);
  row.insert(row.end(), s.fixed.begin(), s.fixed.end());
  std::vector<size_t> offs;
  for (const auto& v : s.vars) {
    offs.push_back(row.size());
    if (v) row.insert(row.end(), v->begin(), v->end());
  }
  offs.push_back(row.size());  // end of variable data
  for (size_t i = offs.size(); i-- > 0;) PutLe(&row, static_cast<uint32_t>(offs[i]), 2);
  PutLe(&row, static_cast<uint32_t>(s.vars.size()), 2);
  std::vector<uint8_t> mask((s.column_count + 7) / 8);
  for (size_t b : s.set_bits) mask[b / 8] |= static_cast<uint8_t>(1u << (b % 8));
  row.insert(row.end(), mask.begin(), mask.end());
  return row;
}

// Jet 3: one-byte offsets plus the jump table for rows longer than 256 bytes.
inline std::vector<uint8_t> BuildRow3(const RowParts& s) {
  std::vector<uint8_t> data;
  data.push_back(static_cast<uint8_t>(s.column_count));
  data.insert(data.end(), s.fixed.begin(), s.fixed.end());
  std::vector<size_t> offs;
  for (const auto& v : s.vars) {
    offs.push_back(data.size());
    if (v) data.insert(data.end(), v->begin(), v->end());
  }
  offs.push_back(data.size());
  size_t mask_size = (s.column_count + 7) / 8;
  size_t jumps = 0;
  for (;;) {  // the jump table's size depends on the row length, which includes it
    size_t total = data.size() + offs.size() + jumps + 1 + mask_size;
    size_t need = (total - 1) / 256;
    if (need == jumps) break;
    jumps = need;
  }
  std::vector<uint8_t> row = data;
  for (size_t i = offs.size(); i-- > 0;) row.push_back(static_cast<uint8_t>(offs[i] & 0xFF));
  for (size_t k = jumps; k-- > 0;) {
    uint8_t first = 0xFF;  // unused entry
    for (size_t i = 0; i < offs.size(); ++i) {
      if (offs[i] >= 256 * (k + 1)) {
        first = static_cast<uint8_t>(i);
        break;
      }
    }
    row.push_back(first);
  }
  row.push_back(static_cast<uint8_t>(s.vars.size()));
  std::vector<uint8_t> mask(mask_size);
  for (size_t b : s.set_bits) mask[b / 8] |= static_cast<uint8_t>(1u << (b % 8));
  row.insert(row.end(), mask.begin(), mask.end());
  return row;
}

}  // namespace jet::testing
