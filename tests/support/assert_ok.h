// ASSERT_OK_AND_ASSIGN(auto x, Foo()); declares x from a jet::Result, or
// fails the test there with its status, as JET_ASSIGN_OR_RETURN returns it.
#pragma once

#include <gtest/gtest.h>

#include <utility>

#include "jet/status.h"

#define ASSERT_OK_AND_ASSIGN(decl, expr)                          \
  auto JET_CONCAT_(test_result_, __LINE__) = (expr);              \
  ASSERT_TRUE(JET_CONCAT_(test_result_, __LINE__).ok())           \
      << JET_CONCAT_(test_result_, __LINE__).status().ToString(); \
  decl = std::move(JET_CONCAT_(test_result_, __LINE__)).value()
