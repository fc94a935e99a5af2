// Entry point: wires the real platform services to the start-up spine and
// runs the message loop until the last window is gone.
#include <windows.h>
#include <commctrl.h>

#include "app/win32/Host.h"
#include "app/win32/RealPlatform.h"
#include "base/win32/SystemLibrary.h"
#include "startup/Program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // DLLs loaded later (the file dialog's, the version reader) come from
    // the system folder only, never from beside the program.
    lark::win::SearchSystemFolderOnly();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // COM starts once the bar is on screen (base/win32/Ole.h).

    lark::win::RealPlatform real;
    lark::win::Host host;
    lark::App app(real.platform);
    host.Attach(app);

    if (!lark::Main(app, host)) return 0;
    // A chord another program holds leaves the bar without one; Options says so.
    host.Keys().UseHotkey(app.state.Hotkey);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        lark::win::EventLoop::Count(msg);
        if (host.PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
