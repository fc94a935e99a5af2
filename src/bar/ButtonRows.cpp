#include "bar/ButtonRows.h"

#include <algorithm>

#include "base/Scale.h"

namespace lark {
namespace {

// At 96 DPI: room around a picture inside its button, as the toolbar
// control's own default, blank rows above and below the buttons, and the
// chevron's width.
constexpr int32_t kButtonPadX = 7;
constexpr int32_t kButtonPadY = 6;
constexpr int32_t kEdgePx = 2;
constexpr int32_t kChevronPx = 14;

}  // namespace

ToolbarMetrics MeasureToolbar(int32_t dpi, int32_t picturePx) {
    ToolbarMetrics m;
    m.buttonWidth = picturePx + ScalePx(kButtonPadX, dpi);
    m.buttonHeight = picturePx + ScalePx(kButtonPadY, dpi);
    m.chevronWidth = ScalePx(kChevronPx, dpi);
    m.edge = ScalePx(kEdgePx, dpi);
    return m;
}

bool ButtonRows::EndsRow(size_t index) const {
    if (!Shows(index) || perRow <= 0) return false;
    const size_t place = index - first + 1;
    return place < shown && place % static_cast<size_t>(perRow) == 0;
}

ButtonRows FitButtons(size_t count, int32_t widthPx, int32_t rows, const ToolbarMetrics& metrics, size_t first) {
    ButtonRows fit;
    fit.rows = std::max(rows, 1);
    const int32_t button = std::max(metrics.buttonWidth, 1);
    fit.perRow = std::max(widthPx, 0) / button;
    const size_t room = static_cast<size_t>(fit.perRow) * static_cast<size_t>(fit.rows);
    if (count <= room) {
        fit.shown = count;
        return fit;
    }
    // The last row gives the chevron its place.
    fit.chevron = true;
    const int32_t lastRow = std::max(widthPx - metrics.chevronWidth, 0) / button;
    fit.shown = static_cast<size_t>(fit.perRow) * static_cast<size_t>(fit.rows - 1) + static_cast<size_t>(lastRow);
    fit.first = std::min(first, count - fit.shown);
    return fit;
}

size_t ScrollToShow(const ButtonRows& fit, size_t count, size_t index) {
    if (fit.shown == 0 || index >= count || fit.Shows(index)) return fit.first;
    if (index < fit.first) return index;
    return std::min(index + 1 - fit.shown, count - fit.shown);
}

int32_t RowsInHeight(int32_t heightPx, int32_t oneRowPx, int32_t rowPx) {
    if (rowPx <= 0 || heightPx <= oneRowPx) return 1;
    return 1 + (heightPx - oneRowPx + rowPx / 2) / rowPx;
}

int32_t HeightForRows(int32_t rows, int32_t oneRowPx, int32_t rowPx) {
    return oneRowPx + (std::max(rows, 1) - 1) * std::max(rowPx, 0);
}

}  // namespace lark
