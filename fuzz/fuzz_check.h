// A property every fuzz input must keep, checked in every build (an assert
// would vanish from optimised ones): a broken one aborts with the reason, so
// the fuzzer keeps the input and the regression run fails on it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                      \
  do {                                                                             \
    if (!(condition)) {                                                            \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                \
    }                                                                              \
  } while (0)
