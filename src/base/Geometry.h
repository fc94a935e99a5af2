#pragma once
// Points and rectangles in desktop pixels.
#include <cstdint>

namespace lark {

struct PointPx {
    int32_t x = 0;
    int32_t y = 0;
};

struct RectPx {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

inline bool operator==(const RectPx& a, const RectPx& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline int32_t Width(const RectPx& r) { return r.right - r.left; }
inline int32_t Height(const RectPx& r) { return r.bottom - r.top; }

}  // namespace lark
