// Little-endian readers over a bounded byte range.
//
// Decoders take a ByteView of exactly the bytes they may touch and ask In()
// before every read of an offset or length that came from the file; the Get
// helpers themselves assume the range was checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace jet {

struct ByteView {
  const uint8_t* data = nullptr;
  size_t size = 0;

  // True when [off, off + n) lies inside the view (no overflow possible).
  bool In(size_t off, size_t n) const { return off <= size && n <= size - off; }
  ByteView Sub(size_t off, size_t n) const { return ByteView{data + off, n}; }

  uint8_t U8(size_t off) const { return data[off]; }
  uint16_t U16(size_t off) const {
    return static_cast<uint16_t>(data[off] | (data[off + 1] << 8));
  }
  uint32_t U24(size_t off) const {
    return static_cast<uint32_t>(data[off]) | (static_cast<uint32_t>(data[off + 1]) << 8) |
           (static_cast<uint32_t>(data[off + 2]) << 16);
  }
  uint32_t U32(size_t off) const {
    return U24(off) | (static_cast<uint32_t>(data[off + 3]) << 24);
  }
  uint64_t U64(size_t off) const {
    return static_cast<uint64_t>(U32(off)) | (static_cast<uint64_t>(U32(off + 4)) << 32);
  }
  double F64(size_t off) const {
    uint64_t bits = U64(off);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  float F32(size_t off) const {
    uint32_t bits = U32(off);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
};

// A row pointer as stored in the file: the slot in the low byte, the page above.
struct RowPointer {
  uint32_t page = 0;
  uint8_t slot = 0;
  static RowPointer FromRaw(uint32_t raw) {
    return RowPointer{raw >> 8, static_cast<uint8_t>(raw & 0xFF)};
  }
};

}  // namespace jet
