// Fixed-point arithmetic of the summary list: signed 64-bit integers holding
// a value × 10000 (four decimal places), rounded to nearest with ties to even.
#pragma once

#include <cstdint>

namespace grid {

using TFixed = std::int64_t;

inline constexpr TFixed kFixedScale = 10000;

// Returns the fixed-point integer nearest to v × 10000 + x (ties to even).
// Throws std::overflow_error when the result does not fit 64 bits or v is
// not a finite number, so that a total never wraps around silently.
TFixed FixedAddFloat(TFixed x, double v);

// Returns the fixed-point value nearest to total ÷ count (ties to even); 0
// when count is 0.
TFixed FixedAverage(TFixed total, std::int64_t count);

// Returns the whole number nearest to a fixed-point value (ties to even).
std::int64_t FixedRoundToInteger(TFixed x);

inline double FixedToDouble(TFixed x) { return static_cast<double>(x) / kFixedScale; }

}  // namespace grid
