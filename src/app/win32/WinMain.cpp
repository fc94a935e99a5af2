// Entry point: wires the real platform services to the start-up spine and
// runs the message loop until the last window is gone.
#include <windows.h>
#include <commctrl.h>

#include "app/win32/Host.h"
#include "app/win32/RealPlatform.h"
#include "base/win32/SystemLibrary.h"
#include "crash/win32/CrashHandler.h"
#include "startup/Program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // DLLs loaded later (the file dialog's, the version reader) come from
    // the system folder only, never from beside the program.
    lark::win::SearchSystemFolderOnly();
    // A crash from here on leaves a dump and a message, and writes nothing else.
    lark::win::InstallCrashHandler(lark::win::DefaultCrashFolder());
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // COM starts once the bar is on screen (base/win32/Ole.h).

    lark::win::RealPlatform real;
    lark::win::Host host;
    lark::App app(real.platform);
    host.Attach(app);
    real.files.Observe(&host.Watcher().Follow());

    if (!lark::Main(app, host)) return 0;
    // A chord another program holds leaves the bar without one; Options says so.
    host.Keys().UseHotkey(app.state.Hotkey);

    // The catalogue's folder is waited on with the messages.
    return lark::win::EventLoop::Run(host.Watcher(), [&](const MSG& msg) { return host.PreTranslate(msg); });
}
