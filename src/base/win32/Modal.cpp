#include "base/win32/Modal.h"

#include "base/win32/Barrier.h"
#include "base/win32/EventLoop.h"

namespace lark::win {
namespace {

std::function<HWND()>& MainWindowFinder() {
    static std::function<HWND()> finder;
    return finder;
}

struct Disabling {
    HWND keep;
    std::vector<HWND>* disabled;
};

BOOL CALLBACK DisableWindow(HWND window, LPARAM param) noexcept {
    auto* disabling = reinterpret_cast<Disabling*>(param);
    if (window == disabling->keep || !IsWindowEnabled(window)) return TRUE;
    // Noted first: a window that cannot be noted stays enabled.
    return Barrier([&] {
        disabling->disabled->push_back(window);
        EnableWindow(window, FALSE);
        return TRUE;
    }, [] { return FALSE; });
}

}  // namespace

void SetMainWindowFinder(std::function<HWND()> finder) { MainWindowFinder() = std::move(finder); }

HWND DialogOwner() {
    // The active window is this thread's own, even while another program
    // is in front.
    HWND active = GetActiveWindow();
    if (active && IsWindowVisible(active)) return active;
    HWND bar = MainWindowFinder() ? MainWindowFinder()() : nullptr;
    return bar && IsWindowVisible(bar) ? bar : nullptr;
}

ModalScope::ModalScope(HWND dialog) : dialog_(dialog) {
    Disabling disabling{dialog, &disabled_};
    EnumThreadWindows(GetCurrentThreadId(), &DisableWindow, reinterpret_cast<LPARAM>(&disabling));
}

ModalScope::~ModalScope() { End(); }

void ModalScope::End() {
    for (HWND window : disabled_)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    disabled_.clear();
}

void ModalScope::Run(const std::function<bool()>& done, const std::function<bool(const MSG&)>& pre) {
    MSG msg;
    while (!done()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the quit is the main loop's to see.
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        EventLoop::Count(msg);
        if (pre && pre(msg)) continue;
        // Enter, Escape, Tab and the access keys of the dialog.
        if (IsWindow(dialog_) && IsDialogMessageW(dialog_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace lark::win
