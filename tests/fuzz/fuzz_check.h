#pragma once

// A broken property ends the fuzz run with the expression and where it failed;
// libFuzzer then keeps the input that broke it.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

#define FUZZ_FAIL(what)                                            \
  do {                                                             \
    std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, what); \
    std::abort();                                                  \
  } while (false)
