#include "base/BarInput.h"

#include "base/RuntimeError.h"

namespace lark {

void UnloadExtraToolbars(IBarWindow& bar) {
    const std::vector<int32_t> indices = bar.ToolbarIndices();
    for (auto it = indices.rbegin(); it != indices.rend(); ++it)
        if (*it >= 1) Guard([&] { bar.DiscardToolbar(*it); });
}

}  // namespace lark
