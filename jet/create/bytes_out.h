// Little-endian writers for building pages and rows in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace jet::create {

inline void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Put64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutF64(uint8_t* p, double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  Put64(p, bits);
}

// Appends to a growing byte vector.
class ByteWriter {
 public:
  std::vector<uint8_t>& bytes() { return bytes_; }
  size_t size() const { return bytes_.size(); }
  void U8(uint32_t v) { bytes_.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) {
    size_t at = Grow(2);
    Put16(&bytes_[at], v);
  }
  void U32(uint32_t v) {
    size_t at = Grow(4);
    Put32(&bytes_[at], v);
  }
  void Zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  void Append(const void* data, size_t n) {
    auto p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + n);
  }

 private:
  size_t Grow(size_t n) {
    size_t at = bytes_.size();
    bytes_.resize(at + n);
    return at;
  }
  std::vector<uint8_t> bytes_;
};

}  // namespace jet::create
