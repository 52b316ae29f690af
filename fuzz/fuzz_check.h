// A fuzz target's own checks: a failed one names itself on standard error and aborts,
// which libFuzzer reports as a finding with the input saved.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(ok)                                                            \
  do {                                                                            \
    if (!(ok)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #ok); \
      std::abort();                                                               \
    }                                                                             \
  } while (0)
