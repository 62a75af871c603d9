#pragma once

#include <cstdio>
#include <cstdlib>

// Ends the run with the broken property's name, so the fuzzer keeps the input.
inline void require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}
