#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// A broken property is a finding: say which one and stop, so that libFuzzer
// keeps the input as a crash.
#define FUZZ_CHECK(cond, what)                                                                               \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n  %s\n", __FILE__, __LINE__, #cond,            \
                         std::string(what).c_str());                                                         \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)
