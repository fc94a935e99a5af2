#pragma once
// The children of the accessible object of a window that draws elements of
// its own (a toolbar's chevron): the system's children first, as its proxy
// numbers them (a toolbar's buttons), then the drawn ones, numbered on.
#include <cstdint>

namespace lark {

enum class ChildKind { Self, Standard, Drawn, None };

struct AccessibleChild {
    ChildKind kind = ChildKind::None;
    int32_t number = 0;  // from 1 among its kind; 0 for the window itself
};

// Which element a child id names, the window's own object being 0.
AccessibleChild WhichChild(int32_t childId, int32_t standardCount, int32_t drawnCount);

}  // namespace lark
