#pragma once
// Input both bar windows handle alike.
#include "base/BarWindow.h"

namespace lark {

// Tab selected: the toolbar whose tag is that tab's name shows, every other
// hides. No toolbar shows when none matches. Failures are skipped.
void ShowSectionToolbar(IBarWindow& bar, int32_t position);

// Toolbar1 elements from the highest index down to 1 are discarded; each
// failure is skipped.
void UnloadExtraToolbars(IBarWindow& bar);

}  // namespace lark
