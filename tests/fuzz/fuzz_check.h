// What the fuzz targets share: a check that stops the fuzzer with a message, so that a broken
// round trip is reported and its input kept like a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void Require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
  }
}

}  // namespace fuzz
