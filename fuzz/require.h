#pragma once
// A fuzz target checks what the code promises, not only that it survives:
// a broken promise aborts, so libFuzzer keeps the input that broke it.

#include <cstdio>
#include <cstdlib>

namespace quorvane::fuzz {

inline void require(bool holds, const char* what) {
    if (holds)
        return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

} // namespace quorvane::fuzz
