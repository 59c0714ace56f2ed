// Property checks for the fuzz targets: a failed check names itself on standard error
// and aborts, which libFuzzer reports as a finding with the input that caused it.
#ifndef TRB2ASC_FUZZ_FUZZ_CHECK_H_
#define TRB2ASC_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

#endif  // TRB2ASC_FUZZ_FUZZ_CHECK_H_
