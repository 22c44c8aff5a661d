// Tests: the message a call fails with, so an expected failure and its text
// take one line.
#pragma once

#include <string>

namespace tarnquill::testing {

// Runs `call` and returns what() of the E it throws, or "no failure" when it
// returns. Exceptions of other types pass on and fail the test.
template <class E, class F>
std::string FailureOf(F&& call) {
  try {
    call();
  } catch (const E& e) {
    return e.what();
  }
  return "no failure";
}

}  // namespace tarnquill::testing
