#include "bar/win32/AppBarShellService.h"

#include <windows.h>
#include <shellapi.h>

namespace lark::win {

uintptr_t AppBarShellService::Send(AppBarMessage message, AppBarData& data) {
    APPBARDATA abd{};
    abd.cbSize = sizeof abd;
    abd.hWnd = reinterpret_cast<HWND>(data.hWnd);
    abd.uCallbackMessage = data.uCallbackMessage;
    abd.uEdge = data.uEdge;
    abd.rc = RECT{data.rc.left, data.rc.top, data.rc.right, data.rc.bottom};
    abd.lParam = data.lParam;
    const UINT_PTR answer = SHAppBarMessage(message, &abd);
    // The shell may adjust the rectangle (query and set position).
    data.rc = RectPx{abd.rc.left, abd.rc.top, abd.rc.right, abd.rc.bottom};
    data.uEdge = abd.uEdge;
    return answer;
}

}  // namespace lark::win
