#pragma once
// The shell's appbar protocol, one message at a time.
#include <cstdint>

#include "base/AppState.h"

namespace lark {

enum AppBarMessage : uint32_t {
    ABM_NEW_ = 0,
    ABM_REMOVE_ = 1,
    ABM_QUERYPOS_ = 2,
    ABM_SETPOS_ = 3,
    ABM_GETSTATE_ = 4,
    ABM_GETTASKBARPOS_ = 5,
    ABM_ACTIVATE_ = 6,
    ABM_GETAUTOHIDEBAR_ = 7,
    ABM_SETAUTOHIDEBAR_ = 8,
    ABM_WINDOWPOSCHANGED_ = 9,
    ABM_SETSTATE_ = 10,
    // As ABM_GETAUTOHIDEBAR and ABM_SETAUTOHIDEBAR, for the edge of the
    // monitor whose rectangle is in rc (Windows 8 and later).
    ABM_GETAUTOHIDEBAREX_ = 11,
    ABM_SETAUTOHIDEBAREX_ = 12,
};

class IAppBarShell {
public:
    virtual ~IAppBarShell() = default;
    // Sends the message with the record (which the shell may change) and
    // returns the shell's answer.
    virtual uintptr_t Send(AppBarMessage message, AppBarData& data) = 0;
};

// The auto-hide bar of an edge of a monitor: the window holding it, 0 for
// none. A shell without the monitor messages answers 0, and then the
// primary monitor's edge is asked for the old way.
// data names the window and the edge; the record itself is left as it is.
uintptr_t GetAutoHideBar(IAppBarShell& shell, AppBarData data, const RectPx& monitor);
// Takes (on) or gives back the edge's auto-hide slot; true when the shell agreed.
bool SetAutoHideBar(IAppBarShell& shell, AppBarData data, const RectPx& monitor, bool on);

}  // namespace lark
