#pragma once
// The program-wide state record: every value several parts of the program
// share lives here, once, for the whole run.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/KeyChord.h"
#include "base/cINI.h"

namespace lark {

class PMenu;  // the popup menu object, built with the main menu

struct PointPx {
    int32_t x = 0;
    int32_t y = 0;
};

struct RectPx {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Whole twips per pixel on each axis (15 at 96 DPI).
struct TwipScale {
    int32_t x = 15;
    int32_t y = 15;
};

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
    int32_t IconSize = 1;  // 0 = 32 x 32 pictures, 1 = 16 x 16

    int32_t FloatTop = 0;  // twips
    int32_t FloatLeft = 0;
    int32_t FloatWidth = 0;
    int32_t FloatLastTop = 0;
    int32_t FloatLastLeft = 0;

    int32_t BarPosition = 0;
    int32_t PreviousBarPosition = 0;
    bool DockStateChanged = false;
    bool AutoHideOn = false;
    bool Quitting = false;

    int32_t ScreenWidthPx = 0;
    int32_t ScreenHeightPx = 0;
    int32_t TwipsPerPixelX = 0;
    int32_t TwipsPerPixelY = 0;

    WindowPlacement BarPlacement;
    AppBarData AppBarInfo;
    uintptr_t AutoHideBarWindow = 0;
    int32_t BarThickness = 0;  // pixels
    int32_t BarLeft = 0;
    int32_t BarRight = 0;
    PointPx CursorPos;
    int32_t PopupToolbarIndex = 0;

    // Handles of the last extracted icon pair (element 0), 0 for none; once
    // their pictures are stored they only tell whether an icon was found.
    std::vector<uintptr_t> LargeIcons;
    std::vector<uintptr_t> SmallIcons;
    // Upper-cased type keys of the icon cache; element 0 stays empty.
    std::vector<std::string> IconKeys{std::string()};
    // Per-button picture keys handed out this run: a new button never takes
    // one, so it cannot change another button's picture.
    std::unordered_set<std::string> PictureKeys;

    int16_t ImportDepth = 0;
    std::string ImportSection;

    std::shared_ptr<PMenu> MainPopup;

    // The global hotkey that brings the bar forward; none when its key is 0.
    KeyChord Hotkey = kDefaultHotkey;
};

}  // namespace lark
