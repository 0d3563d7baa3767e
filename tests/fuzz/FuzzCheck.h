#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property ends the run with its name, so libFuzzer keeps the input as a crash.
inline void FuzzCheck(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz: %s\n", what);
        std::abort();
    }
}
