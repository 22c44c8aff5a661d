// The wheel accumulator: wheel deltas add up until a whole notch (120
// units) turns into a one-record move, so high-resolution wheels that send
// small deltas move as far as notched ones.
#pragma once

namespace grid {

inline constexpr int kWheelNotch = 120;

class WheelAccumulator {
 public:
  // Adds `delta` (positive: turned away from the user) and returns the
  // records to move: positive towards the end (wheel turned towards the
  // user), negative towards the beginning. The remainder keeps its sign.
  int Add(int delta);
  int Value() const { return value_; }

 private:
  int value_ = 0;
};

}  // namespace grid
