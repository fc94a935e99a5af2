#pragma once
// The system's colour state as the palette choice reads it: the app mode,
// high contrast and the system colours, and which messages announce a
// change of them.
#include <windows.h>

#include <optional>

#include "base/Palette.h"

namespace lark::win {

class SystemColourService : public ISystemColours {
public:
    // HKCU\...\Themes\Personalize "AppsUseLightTheme": 0 is dark; absent
    // (systems before Windows 10) is light.
    bool AppsUseLightTheme() override;
    bool HighContrast() override;
    SystemColours Colours() override;
};

// The news a top-level window's message brings, if it is about colours.
std::optional<ColourNews> ColourNewsOf(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace lark::win
