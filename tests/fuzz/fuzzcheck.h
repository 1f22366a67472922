#pragma once
// What every harness needs: a check that stops the run with the input kept when a property fails.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);        \
      std::abort();                                                                                \
    }                                                                                              \
  } while (false)
