#pragma once
// One icon as the platform hands it over, in a form that can be kept and
// copied between threads: 32-bit colour (0xAARRGGBB, rows top-down, alpha
// as stored, possibly all zero) and a 1-bit mask (rows top-down, each
// padded to whole bytes, 1 = transparent).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lark {

struct IconPixels {
    int sizePx = 0;
    std::vector<uint32_t> colour;
    std::vector<uint8_t> mask;

    static size_t MaskRowBytes(int sizePx) { return static_cast<size_t>((sizePx + 7) / 8); }
    bool Valid() const {
        const auto size = static_cast<size_t>(sizePx);
        return sizePx > 0 && sizePx <= 256 && colour.size() == size * size && mask.size() == MaskRowBytes(sizePx) * size;
    }
};

}  // namespace lark
