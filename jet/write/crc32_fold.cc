#include "jet/write/crc32_fold.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TARNQUILL_CRC32_FOLD 1
#include <immintrin.h>
#endif

namespace jet::journal {

#ifdef TARNQUILL_CRC32_FOLD

bool CanFoldCrc32() {
  static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return can;
}

namespace {

__m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// `block` carried a constant's distance on and added to `next`: its low half
// times the constant's low half, its high half times the high half.
__attribute__((target("pclmul"))) __m128i Fold(__m128i block, __m128i k, __m128i next) {
  const __m128i lo = _mm_clmulepi64_si128(block, k, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(block, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

}  // namespace

// The constants are powers of x modulo the polynomial, bit-reflected and
// shifted by one, as folding the reflected form needs them:
//   k1 = x^(4*128+32), k2 = x^(4*128-32)  fold four blocks 64 bytes on
//   k3 = x^(128+32),   k4 = x^(128-32)    fold one block 16 bytes on
//   k5 = x^64                            fold 96 bits to 64
// and for the final Barrett reduction the polynomial itself (with x^32) and
// mu = x^64 div polynomial.
__attribute__((target("pclmul,sse4.1"))) uint32_t FoldCrc32(uint32_t state, const uint8_t* data,
                                                            size_t n) {
  const __m128i k1k2 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
  const __m128i k3k4 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
  const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124);
  const __m128i poly_mu = _mm_set_epi64x(0x1f7011641, 0x1db710641);
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
  __m128i x1 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(static_cast<int>(state)));
  __m128i x2 = Load(data + 16);
  __m128i x3 = Load(data + 32);
  __m128i x4 = Load(data + 48);
  data += 64;
  n -= 64;
  for (; n >= 64; data += 64, n -= 64) {
    x1 = Fold(x1, k1k2, Load(data));
    x2 = Fold(x2, k1k2, Load(data + 16));
    x3 = Fold(x3, k1k2, Load(data + 32));
    x4 = Fold(x4, k1k2, Load(data + 48));
  }
  x1 = Fold(x1, k3k4, x2);
  x1 = Fold(x1, k3k4, x3);
  x1 = Fold(x1, k3k4, x4);
  for (; n >= 16; data += 16, n -= 16) x1 = Fold(x1, k3k4, Load(data));

  // 128 bits to 96, then to 64.
  __m128i t = _mm_clmulepi64_si128(x1, k3k4, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), t);
  t = _mm_srli_si128(x1, 4);
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00), t);
  // Barrett reduction to 32 bits.
  t = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly_mu, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), poly_mu, 0x00);
  x1 = _mm_xor_si128(x1, t);
  return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

#else

bool CanFoldCrc32() { return false; }

uint32_t FoldCrc32(uint32_t state, const uint8_t*, size_t) { return state; }

#endif

}  // namespace jet::journal
