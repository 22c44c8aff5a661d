#include "grid/binding/wheel.h"

#include <cstdlib>

namespace grid {

int WheelAccumulator::Add(int delta) {
  // Kept in 64 bits while adding, so a huge delta cannot overflow.
  long long value = static_cast<long long>(value_) + delta;
  int moves = 0;
  while (std::llabs(value) >= kWheelNotch) {
    if (value < 0) {
      value = -(std::llabs(value) - kWheelNotch);
      ++moves;
    } else {
      value -= kWheelNotch;
      --moves;
    }
  }
  value_ = static_cast<int>(value);
  return moves;
}

}  // namespace grid
