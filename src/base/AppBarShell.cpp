#include "base/AppBarShell.h"

namespace lark {
namespace {

// The primary monitor has the desktop's origin at its top left.
bool IsPrimary(const RectPx& monitor) { return monitor.left == 0 && monitor.top == 0; }

}  // namespace

uintptr_t GetAutoHideBar(IAppBarShell& shell, AppBarData data, const RectPx& monitor) {
    data.rc = monitor;
    const uintptr_t holder = shell.Send(ABM_GETAUTOHIDEBAREX_, data);
    if (holder != 0 || !IsPrimary(monitor)) return holder;
    return shell.Send(ABM_GETAUTOHIDEBAR_, data);
}

bool SetAutoHideBar(IAppBarShell& shell, AppBarData data, const RectPx& monitor, bool on) {
    data.rc = monitor;
    data.lParam = on ? 1 : 0;
    if (shell.Send(ABM_SETAUTOHIDEBAREX_, data) != 0) return true;
    if (!IsPrimary(monitor)) return false;
    data.rc = monitor;
    return shell.Send(ABM_SETAUTOHIDEBAR_, data) != 0;
}

}  // namespace lark
