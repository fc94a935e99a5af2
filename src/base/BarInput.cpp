#include "base/BarInput.h"

#include "base/RuntimeError.h"

namespace lark {

void ShowSectionToolbar(IBarWindow& bar, int32_t position) {
    std::string key;
    const bool haveKey = Guard([&] { key = bar.TabControl1().TabKey(position); });
    for (int32_t index : bar.ToolbarIndices()) {
        Guard([&] { bar.SetToolbarVisible(index, false); });
        Guard([&] {
            if (haveKey && bar.ToolbarTag(index) == key) {
                bar.SetToolbarVisible(index, true);
                bar.BringToolbarToFront(index);
            }
        });
    }
}

void UnloadExtraToolbars(IBarWindow& bar) {
    const std::vector<int32_t> indices = bar.ToolbarIndices();
    for (auto it = indices.rbegin(); it != indices.rend(); ++it)
        if (*it >= 1) Guard([&] { bar.DiscardToolbar(*it); });
}

}  // namespace lark
