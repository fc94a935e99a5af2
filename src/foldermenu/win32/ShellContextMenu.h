#pragma once
// The shell's own context menu for an item of a folder menu, as Explorer
// shows it. Its "Send to" and "Open with" fill themselves and draw their
// own items: while it is open, the owner window's menu messages for it are
// handed to the shell (IContextMenu3, or IContextMenu2), and only those.
#include <windows.h>
#include <shellapi.h>
#include <shobjidl.h>

#include "base/win32/Ole.h"

namespace lark::win {

class ShellContextMenu {
public:
    ShellContextMenu() = default;
    ~ShellContextMenu();
    ShellContextMenu(const ShellContextMenu&) = delete;
    ShellContextMenu& operator=(const ShellContextMenu&) = delete;

    // Shows the item's menu at a point of the screen, over whatever menu is
    // open; true when the user chose a command, which Invoke then runs.
    bool Track(IShellFolder& parent, const ITEMIDLIST* child, HWND owner, POINT at);
    // Runs the chosen command (after the menus it was chosen over closed).
    void Invoke();
    bool Open() const { return tracking_; }

    // The owner's WM_INITMENUPOPUP, WM_MEASUREITEM, WM_DRAWITEM and
    // WM_MENUCHAR while the menu is open; true when they were the shell's.
    // `ours` tells the caller's own menus, whose messages stay with it.
    bool HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, bool ours, LRESULT& result);

    // The command ids the shell's menu takes.
    static constexpr UINT kFirstCommand = 1;
    static constexpr UINT kLastCommand = 0x7FFF;

private:
    void Release();

    ComPtr<IContextMenu> menu_;
    ComPtr<IContextMenu2> menu2_;
    ComPtr<IContextMenu3> menu3_;
    HMENU popup_ = nullptr;
    HWND owner_ = nullptr;
    POINT at_{0, 0};
    UINT chosen_ = 0;
    bool tracking_ = false;
};

}  // namespace lark::win
