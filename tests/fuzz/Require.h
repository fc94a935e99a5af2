#pragma once
// The fuzzers' one way to fail: an invariant that does not hold aborts
// with its description, which libFuzzer reports with the input.
#include <cstdio>
#include <cstdlib>

namespace lark::fuzz {

[[noreturn]] inline void Broken(const char* what) {
    std::fprintf(stderr, "broken invariant: %s\n", what);
    std::abort();
}

inline void Require(bool holds, const char* what) {
    if (!holds) Broken(what);
}

}  // namespace lark::fuzz
