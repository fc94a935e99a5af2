#pragma once
// The program-wide state record: every value several parts of the program
// share lives here, once, for the whole run.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/BarModel.h"
#include "base/Geometry.h"
#include "base/KeyChord.h"
#include "base/Monitors.h"
#include "base/Palette.h"
#include "base/Scale.h"
#include "base/cINI.h"

namespace lark {

class PMenu;  // the popup menu object, built with the main menu

// Mirrors the platform's WINDOWPLACEMENT, so rules can read and write it.
struct WindowPlacement {
    uint32_t length = 0;
    uint32_t flags = 0;
    uint32_t showCmd = 0;
    PointPx minPosition;
    PointPx maxPosition;
    RectPx normalPosition;
};

// Mirrors the platform's APPBARDATA; the window is an opaque handle value.
struct AppBarData {
    uint32_t cbSize = 0;
    uintptr_t hWnd = 0;
    uint32_t uCallbackMessage = 0;
    uint32_t uEdge = 0;
    RectPx rc;
    intptr_t lParam = 0;
};

// Position codes of BarPosition.
enum BarPositionCode : int32_t {
    kBarTop = 1,
    kBarBottom = 2,
    kBarLeft = 3,
    kBarRight = 4,
    kBarFloating = 5,
};

struct AppState {
    std::string CataloguePath;
    std::unique_ptr<cINI> CatalogueIni;
    int32_t IconSize = 1;  // 0 = large pictures, 1 = small (32 and 16 pixels at 96 DPI)

    int32_t FloatTop = 0;  // twips
    int32_t FloatLeft = 0;
    int32_t FloatWidth = 0;
    // The floating window's height, kept to whole rows of buttons; 0 (or
    // any height below one row) is the height of one row.
    int32_t FloatHeight = 0;
    int32_t FloatLastTop = 0;
    int32_t FloatLastLeft = 0;

    int32_t BarPosition = 0;
    int32_t PreviousBarPosition = 0;
    bool DockStateChanged = false;
    bool AutoHideOn = false;
    bool Quitting = false;

    // The primary screen, and the twips per pixel of the system's DPI that
    // turn stored places ("Top", "Left") into desktop pixels and back.
    int32_t ScreenWidthPx = 0;
    int32_t ScreenHeightPx = 0;
    TwipsPerPixel TwipsPerPixelX;
    TwipsPerPixel TwipsPerPixelY;

    WindowPlacement BarPlacement;
    AppBarData AppBarInfo;
    uintptr_t AutoHideBarWindow = 0;
    // The monitor whose edge AutoHideBarWindow holds.
    RectPx AutoHideMonitor;
    // The monitor the bar is arranged on; its DPI sizes the docked bar.
    MonitorInfo BarMonitor;
    int32_t BarThickness = 0;  // pixels
    // The docked bar's extent along its edge: left and right in a row, top
    // and bottom in a column at the left or right edge.
    int32_t BarLeft = 0;
    int32_t BarRight = 0;
    int32_t BarTop = 0;
    int32_t BarBottom = 0;
    // The line of the screen edge a docked bar sits on, as the shell left
    // it: the top of a top bar's rectangle, the bottom of a bottom bar's,
    // the left of a left column's, the right of a right column's.
    int32_t BarEdge = 0;
    PointPx CursorPos;
    int32_t PopupToolbarIndex = 0;

    // What the bar holds: its sections and buttons, and the section shown.
    // Every bar window shows it.
    BarModel Bar;

    // Handles of the last extracted icon pair (element 0), 0 for none; once
    // their pictures are stored they only tell whether an icon was found.
    std::vector<uintptr_t> LargeIcons;
    std::vector<uintptr_t> SmallIcons;
    // Upper-cased type keys of the icon cache; element 0 stays empty.
    std::vector<std::string> IconKeys{std::string()};

    int16_t ImportDepth = 0;
    std::string ImportSection;

    std::shared_ptr<PMenu> MainPopup;

    // The global hotkey that brings the bar forward; none when its key is 0.
    KeyChord Hotkey = kDefaultHotkey;

    // The user's choice of colours; the system's app mode when "System".
    ColourSetting Theme = ColourSetting::System;

    // The language chosen in Options, a locale name; empty: Windows'. The
    // run speaks the one chosen at its start.
    std::string Language;
};

}  // namespace lark
