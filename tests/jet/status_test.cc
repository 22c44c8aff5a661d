#include "jet/status.h"

#include <gtest/gtest.h>

namespace jet {
namespace {

Result<int> Half(int n) {
  if (n % 2 != 0) return Status::InvalidArgument("odd number " + std::to_string(n));
  return n / 2;
}

Status Quarter(int n, int* out) {
  JET_ASSIGN_OR_RETURN(int half, Half(n));
  JET_ASSIGN_OR_RETURN(int quarter, Half(half));
  *out = quarter;
  return Status::Ok();
}

TEST(StatusTest, ErrorsPropagateWithTheirCodeAndMessageAndContextOnlyOnFailures) {
  int out = -1;
  EXPECT_TRUE(Quarter(8, &out).ok());
  EXPECT_EQ(out, 2);
  Status s = Quarter(6, &out);
  EXPECT_EQ(s.code(), Status::Code::kInvalidArgument);
  EXPECT_EQ(s.message(), "odd number 3");
  EXPECT_EQ(s.ToString(), "Invalid argument: odd number 3");
  // Context is prepended only to failures.
  EXPECT_TRUE(Status::Ok().WithContext("file.mdb").ok());
  s = Status::Corruption("page 7 has a bad type byte").WithContext("file.mdb");
  EXPECT_TRUE(s.IsCorruption());
  EXPECT_EQ(s.message(), "file.mdb: page 7 has a bad type byte");
}

}  // namespace
}  // namespace jet
