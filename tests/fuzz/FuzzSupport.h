#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

/// Stops the fuzzer with `what` when a promise of the code under test does not hold, so that
/// libFuzzer keeps the input that broke it. Unlike assert, it stays in optimised builds.
inline void FuzzCheck(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
  }
}

/// Up to `maxLength` bytes of the input, cut at the first NUL: what a command line, a file
/// system or a C interface can carry.
inline std::string TakeCString(FuzzedDataProvider& in, size_t maxLength) {
  return in.ConsumeRandomLengthString(maxLength).c_str();
}
