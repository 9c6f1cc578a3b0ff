#pragma once
// Shared by the fuzz targets: invariant checks that end the run the way a
// sanitizer report does, so that libFuzzer keeps the input as a crash.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                              \
    do {                                                                              \
        if (!(cond)) {                                                                \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, \
                         __LINE__);                                                   \
            std::abort();                                                             \
        }                                                                             \
    } while (0)
