#pragma once
// The fuzz targets' failure check: always on (whatever the build type), prints the broken rule and aborts so
// that libFuzzer records the input that broke it.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                 \
    do {                                                                                 \
        if (!(cond)) {                                                                   \
            std::fprintf(stderr, "%s:%d: broken rule: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                \
        }                                                                                \
    } while (0)
