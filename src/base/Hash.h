#pragma once
// A fast 64-bit fingerprint of bytes (FNV-1a): tells content apart, not
// for secrets.
#include <cstdint>
#include <string_view>

namespace lark {

inline uint64_t Fnv1a64(std::string_view bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

}  // namespace lark
