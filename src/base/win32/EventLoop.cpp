#include "base/win32/EventLoop.h"

#include <windows.h>

namespace lark::win {

void EventLoop::DoEvents() {
    if (intervalMs_ != 0 && GetTickCount64() - lastPump_ < intervalMs_) return;
    PumpAll();
}

void EventLoop::PumpAll() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the main loop, which ends the program.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    lastPump_ = GetTickCount64();
}

}  // namespace lark::win
