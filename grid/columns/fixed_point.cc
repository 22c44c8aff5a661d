#include "grid/columns/fixed_point.h"

#include <cmath>
#include <stdexcept>

namespace grid {
namespace {

// Quotient of n ÷ d rounded to nearest, ties to even; d > 0.
std::int64_t DivideNearestEven(std::int64_t n, std::int64_t d) {
  std::int64_t q = n / d;
  std::int64_t r = n % d;  // same sign as n
  __int128 twice = 2 * static_cast<__int128>(r < 0 ? -r : r);
  if (twice > d || (twice == d && (q % 2 != 0))) q += (n < 0) ? -1 : 1;
  return q;
}

}  // namespace

TFixed FixedAddFloat(TFixed x, double v) {
  double sum = v * static_cast<double>(kFixedScale) + static_cast<double>(x);
  // nearbyint rounds ties to even in the default rounding mode.
  double rounded = std::nearbyint(sum);
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  if (!std::isfinite(rounded) || rounded >= 9223372036854775808.0 ||
      rounded < -9223372036854775808.0) {
    throw std::overflow_error("Floating point overflow");
  }
  return static_cast<TFixed>(rounded);
}

TFixed FixedAverage(TFixed total, std::int64_t count) {
  if (count == 0) return 0;
  if (count < 0) {
    // A negative count only arises from inconsistent incremental updates;
    // divide by its magnitude with the sign moved to the total.
    if (total == INT64_MIN) throw std::overflow_error("Floating point overflow");
    total = -total;
    count = -count;
  }
  return DivideNearestEven(total, count);
}

std::int64_t FixedRoundToInteger(TFixed x) { return DivideNearestEven(x, kFixedScale); }

}  // namespace grid
