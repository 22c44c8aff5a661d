#include "grid/columns/fixed_point.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace grid {
namespace {

TEST(FixedPointTest, AddsAveragesAndRoundsTiesToEvenAndRefusesOverflow) {
  TFixed x = FixedAddFloat(0, 1.5);
  x = FixedAddFloat(x, 2.25);
  EXPECT_EQ(x, 37500);
  EXPECT_EQ(FixedAddFloat(0, 0.00005), 0);  // 0.5 units: tie to even 0
  EXPECT_EQ(FixedAddFloat(0, 0.1), 1000);   // 0.1 is not exact in binary
  EXPECT_EQ(FixedAddFloat(0, -0.00004), 0);
  EXPECT_EQ(FixedAddFloat(0, 123456.78915), 1234567892);
  EXPECT_EQ(FixedAddFloat(10000, -1), 0);
  // Overflow and non-numbers are refused.
  EXPECT_THROW(FixedAddFloat(0, 1e300), std::overflow_error);
  EXPECT_THROW(FixedAddFloat(INT64_MAX, 1.0), std::overflow_error);
  EXPECT_THROW(FixedAddFloat(0, std::numeric_limits<double>::quiet_NaN()), std::overflow_error);
  // Averages keep four decimals; whole numbers round ties to even.
  EXPECT_EQ(FixedAverage(37500, 2), 18750);  // 1.875
  EXPECT_EQ(FixedAverage(50000, 3), 16667);  // 1 + 2 + 2 → 1.6667
  EXPECT_EQ(FixedAverage(-50000, 3), -16667);
  EXPECT_EQ(FixedAverage(5, 2), 2);  // 2.5 units → 2
  EXPECT_EQ(FixedAverage(7, 2), 4);  // 3.5 units → 4
  EXPECT_EQ(FixedAverage(12345, 0), 0);
  // Whole numbers round ties to even.
  EXPECT_EQ(FixedRoundToInteger(25000), 2);
  EXPECT_EQ(FixedRoundToInteger(35000), 4);
  EXPECT_EQ(FixedRoundToInteger(-25000), -2);
  EXPECT_EQ(FixedRoundToInteger(25001), 3);
  EXPECT_EQ(FixedRoundToInteger(INT64_MAX), 922337203685478);
}

}  // namespace
}  // namespace grid
