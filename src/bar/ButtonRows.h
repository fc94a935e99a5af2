#pragma once
// How a section's buttons fill its toolbar: whole rows as far as the room
// goes; when some do not fit, a chevron at the right end of the last row
// stands for them, and the buttons shown are a window the keyboard can move
// along the section.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lark {

// A toolbar's measures in pixels at a DPI, for pictures of an edge length.
struct ToolbarMetrics {
    int32_t buttonWidth = 0;
    int32_t buttonHeight = 0;  // also the distance from one row to the next
    int32_t chevronWidth = 0;
    int32_t edge = 0;  // blank rows above and below the buttons
};
ToolbarMetrics MeasureToolbar(int32_t dpi, int32_t picturePx);

// The buttons a toolbar shows.
struct ButtonRows {
    int32_t rows = 1;      // rows of room
    int32_t perRow = 0;    // plain buttons a full row holds
    size_t first = 0;      // the first button shown
    size_t shown = 0;      // how many are shown from `first` on
    bool chevron = false;  // the others are behind the chevron
    std::vector<size_t> rowEnds;  // buttons after which another row starts

    bool Shows(size_t index) const { return index >= first && index < first + shown; }
    // A line break follows the button: it ends a row that another follows.
    bool EndsRow(size_t index) const;
};

// Buttons of these widths (a split button is wider than a plain one by
// its arrow) on a toolbar `widthPx` wide with room for `rows` rows (at
// least one), each row filled as far as its room goes. The window shown
// starts at `first`, or earlier where it would leave room unused.
ButtonRows FitButtons(const std::vector<int32_t>& widths, int32_t widthPx, int32_t rows,
                      const ToolbarMetrics& metrics, size_t first = 0);
// `count` plain buttons.
ButtonRows FitButtons(size_t count, int32_t widthPx, int32_t rows, const ToolbarMetrics& metrics, size_t first = 0);

// Where the window shown (`fit`, of the same buttons and room) starts so
// that the button at `index` is in it, moved as little as possible.
size_t ScrollToShow(const ButtonRows& fit, const std::vector<int32_t>& widths, int32_t widthPx, int32_t rows,
                    const ToolbarMetrics& metrics, size_t index);

// The floating window: its designed height holds one row, and each row
// more adds a button's height. A height gives the nearest whole number of
// rows, never less than one.
int32_t RowsInHeight(int32_t heightPx, int32_t oneRowPx, int32_t rowPx);
int32_t HeightForRows(int32_t rows, int32_t oneRowPx, int32_t rowPx);

}  // namespace lark
