// A broken promise found while fuzzing: print what was expected and stop, so that libFuzzer
// keeps the input as a crash.
#pragma once
#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition)                                                                 \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "%s:%d: expected %s\n", __FILE__, __LINE__, #condition);       \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)
