#include "bar/ButtonRows.h"

#include <algorithm>
#include <utility>

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

struct Placed {
    size_t shown = 0;
    std::vector<size_t> rowEnds;
};

// The buttons from `first` on, row after row, the last row leaving
// `reserve` pixels free; a button too wide for a row's room ends the rows.
Placed Place(const std::vector<int32_t>& widths, size_t first, int32_t widthPx, int32_t rows, int32_t reserve) {
    Placed placed;
    size_t next = first;
    for (int32_t row = 0; row < rows && next < widths.size(); ++row) {
        const int32_t room = widthPx - (row == rows - 1 ? reserve : 0);
        const size_t start = next;
        for (int32_t used = 0; next < widths.size() && used + widths[next] <= room; ++next) used += widths[next];
        if (next == start) break;
        placed.rowEnds.push_back(next - 1);
    }
    placed.shown = next - first;
    // The last row's end starts no row.
    if (!placed.rowEnds.empty()) placed.rowEnds.pop_back();
    return placed;
}

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
    return Shows(index) && std::find(rowEnds.begin(), rowEnds.end(), index) != rowEnds.end();
}

ButtonRows FitButtons(const std::vector<int32_t>& widths, int32_t widthPx, int32_t rows,
                      const ToolbarMetrics& metrics, size_t first) {
    ButtonRows fit;
    fit.rows = std::max(rows, 1);
    fit.perRow = std::max(widthPx, 0) / std::max(metrics.buttonWidth, 1);
    const size_t count = widths.size();
    Placed placed = Place(widths, 0, widthPx, fit.rows, 0);
    if (placed.shown < count) {
        // The last row gives the chevron its place; the window starts
        // earlier while all from there to the end still fit.
        fit.chevron = true;
        fit.first = std::min(first, count);
        while (fit.first > 0 && Place(widths, fit.first - 1, widthPx, fit.rows, metrics.chevronWidth).shown >=
                                    count - (fit.first - 1))
            --fit.first;
        placed = Place(widths, fit.first, widthPx, fit.rows, metrics.chevronWidth);
    }
    fit.shown = placed.shown;
    fit.rowEnds = std::move(placed.rowEnds);
    return fit;
}

ButtonRows FitButtons(size_t count, int32_t widthPx, int32_t rows, const ToolbarMetrics& metrics, size_t first) {
    return FitButtons(std::vector<int32_t>(count, metrics.buttonWidth), widthPx, rows, metrics, first);
}

size_t ScrollToShow(const ButtonRows& fit, const std::vector<int32_t>& widths, int32_t widthPx, int32_t rows,
                    const ToolbarMetrics& metrics, size_t index) {
    if (fit.shown == 0 || index >= widths.size() || fit.Shows(index)) return fit.first;
    if (index < fit.first) return index;
    size_t first = fit.first;
    while (first < index && !FitButtons(widths, widthPx, rows, metrics, first).Shows(index)) ++first;
    return first;
}

int32_t RowsInHeight(int32_t heightPx, int32_t oneRowPx, int32_t rowPx) {
    if (rowPx <= 0 || heightPx <= oneRowPx) return 1;
    return 1 + (heightPx - oneRowPx + rowPx / 2) / rowPx;
}

int32_t HeightForRows(int32_t rows, int32_t oneRowPx, int32_t rowPx) {
    return oneRowPx + (std::max(rows, 1) - 1) * std::max(rowPx, 0);
}

}  // namespace lark
