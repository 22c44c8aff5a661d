// RC4, the stream cipher that masks the header and encoded pages.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jet {

// XORs `data` in place with the RC4 key stream of `key` (1 to 256 bytes).
void Rc4Apply(const uint8_t* key, size_t key_length, uint8_t* data, size_t n);

}  // namespace jet
