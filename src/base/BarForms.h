#pragma once
// The two bar windows, the mouse cursor and the one-auto-hide-bar message,
// as the position rules use them; and the arrangement as the commands ask
// for it.
#include <cstdint>

#include "base/AppState.h"

namespace lark {

// f_Float as the position rules use it. Places are desktop pixels.
class IFloatingBar {
public:
    virtual ~IFloatingBar() = default;
    // The window's outer rectangle.
    virtual RectPx Bounds() const = 0;
    virtual void MoveTo(PointPx topLeft) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual WindowPlacement Placement() const = 0;
    // While on, the end of each move of the window reaches the position
    // rules (what tmrFloat polled for).
    virtual void EnableMoveDetection(bool enabled) = 0;
};

// f_Dock as the position rules use it.
class IDockedBar {
public:
    virtual ~IDockedBar() = default;
    // Makes the window if it is not there yet: the appbar record names it.
    virtual void Create() {}
    virtual RectPx Bounds() const = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    enum class Flags { NoActivate, ShowWindow };
    // Pixels, above its siblings; never activated (a revealed bar leaves the
    // keyboard where it is).
    virtual void Place(int32_t x, int32_t y, int32_t width, int32_t height, Flags flags) = 0;
    virtual void MakeTopmost() = 0;
    // Behind other windows but not below the desktop, while a full-screen
    // program covers the screen.
    virtual void DropTopmost() = 0;
    virtual void EnableHideTimer(bool enabled) = 0;  // tmrHide
    // A menu, a dialog or a drag of the bar's own is open: an auto-hidden
    // bar stays out meanwhile.
    virtual bool InUse() const = 0;
    virtual void SetPlacement(const WindowPlacement& placement) = 0;
    // Laid out as a column (left and right edges) or as a row.
    virtual void SetColumn(bool column) = 0;
};

// The mouse cursor's screen position in pixels.
class ICursor {
public:
    virtual ~ICursor() = default;
    virtual PointPx Position() = 0;
};

// The message that an edge holds one auto-hide bar at most.
class IEdgeTakenMessage {
public:
    virtual ~IEdgeTakenMessage() = default;
    virtual void Show() = 0;
};

// Where the bar is shown, as the commands and dialogs change it.
class IBarArrangement {
public:
    virtual ~IBarArrangement() = default;
    // Shows the bar in the position BarPosition holds. Force renews the
    // appbar registration although the edge did not change.
    virtual void ArrangeBar(bool force) = 0;
    // Puts the bar into the configured BarPosition, coming from the
    // position the screen shows.
    virtual void ShowConfiguredBar() = 0;
};

}  // namespace lark
