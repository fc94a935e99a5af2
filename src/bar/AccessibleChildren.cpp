#include "bar/AccessibleChildren.h"

namespace lark {

AccessibleChild WhichChild(int32_t childId, int32_t standardCount, int32_t drawnCount) {
    if (childId == 0) return {ChildKind::Self, 0};
    if (childId < 0 || standardCount < 0 || drawnCount < 0) return {};
    if (childId <= standardCount) return {ChildKind::Standard, childId};
    if (childId - standardCount <= drawnCount) return {ChildKind::Drawn, childId - standardCount};
    return {};
}

}  // namespace lark
