#pragma once
// What both bar windows do alike to their toolbar array.
#include "base/BarWindow.h"

namespace lark {

// Toolbar1 elements from the highest index down to 1 are discarded; each
// failure is skipped.
void UnloadExtraToolbars(IBarWindow& bar);

}  // namespace lark
