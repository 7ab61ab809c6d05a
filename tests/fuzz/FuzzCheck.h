#pragma once

#include <cstdio>
#include <cstdlib>

/// Stops the fuzzer with a message when a property of the code under test does not hold, so
/// that libFuzzer keeps the input that broke it. Unlike assert, it stays in optimised builds.
#define FUZZ_CHECK(condition, what)                                                    \
  do {                                                                                 \
    if (!(condition)) {                                                                \
      std::fprintf(stderr, "%s:%d: check failed: %s (%s)\n", __FILE__, __LINE__, what, \
                   #condition);                                                        \
      std::abort();                                                                    \
    }                                                                                  \
  } while (false)
