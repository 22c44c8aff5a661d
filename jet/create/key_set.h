// KeySet: remembers the keys of a unique index by their 64-bit hash in an
// open-addressing table, so checking a million keys costs no allocation per
// key. A hash match is only a hint; the caller confirms it on the real keys.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace jet::create {

class KeySet {
 public:
  static uint64_t Hash(const uint8_t* data, size_t n) {
    uint64_t h = 1469598103934665603ULL;  // FNV-1a, then a final mix
    for (size_t i = 0; i < n; ++i) h = (h ^ data[i]) * 1099511628211ULL;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h == 0 ? 1 : h;
  }
  bool Contains(uint64_t h) const {
    if (slots_.empty()) return false;
    for (size_t i = h & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i] == h) return true;
      if (slots_[i] == 0) return false;
    }
  }
  void Insert(uint64_t h) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    for (size_t i = h & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i] == h) return;
      if (slots_[i] == 0) {
        slots_[i] = h;
        ++count_;
        return;
      }
    }
  }

 private:
  void Grow() {
    std::vector<uint64_t> old = std::move(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, 0);
    count_ = 0;
    for (uint64_t h : old) {
      if (h != 0) Insert(h);
    }
  }
  std::vector<uint64_t> slots_;
  size_t count_ = 0;
};

}  // namespace jet::create
