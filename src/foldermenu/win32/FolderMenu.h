#pragma once
// One folder's menu on screen, with its sub-menus: the shell's listing of
// the folder, sub-folders filled as they open, each item drawn with its
// picture as it arrives. A click opens the item through the shell, a
// right-click shows the shell's menu for it, a drag takes it out of the
// menu (onto the bar, which adds it).
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/ShellLauncher.h"
#include "foldermenu/win32/FolderWorker.h"
#include "foldermenu/win32/ShellContextMenu.h"
#include "foldermenu/win32/ShellItems.h"

namespace lark::win {

class FolderMenu {
public:
    // Where items open, who finds their pictures, and the list the
    // pictures are drawn from.
    struct Services {
        IShellLauncher& shell;
        FolderWorker& worker;
        HIMAGELIST pictures;
    };
    FolderMenu(Services services, uint64_t id) : services_(services), id_(id) {}
    ~FolderMenu();
    FolderMenu(const FolderMenu&) = delete;
    FolderMenu& operator=(const FolderMenu&) = delete;

    uint64_t Id() const { return id_; }
    // Builds the menu of the target's folder below the button (screen
    // pixels) and runs it; returns once it has closed and its choice ran.
    void Run(const std::string& target, const RECT& button, HWND owner, bool fromKeyboard);
    // The owner's menu messages; true when they were this menu's (or the
    // shell's context menu's, while it is open).
    bool HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Items whose pictures arrived: their places in the picture list.
    void ShowPictures(const std::vector<std::pair<size_t, int>>& pictures);

    // Ids of the menu's items; the shell's context menu takes those below.
    static constexpr UINT kFirstItem = 0x8000;
    static constexpr size_t kMostItems = 0x7FFF;

private:
    struct Item {
        size_t folder = 0;  // in folders_
        UniquePidl child;
        bool isFolder = false;
        HMENU submenu = nullptr;
        bool filled = false;
        int picture = -1;
    };

    void Fill(HMENU menu, size_t folder);
    void FillSubmenu(HMENU menu);
    void AddDisabled(HMENU menu, const std::string& text);
    void Launch(const Item& item);
    void Drag(const Item& item);
    bool IsOurs(HMENU menu) const { return menus_.count(menu) != 0; }
    std::optional<size_t> ItemOf(HMENU menu, int position) const;
    std::optional<size_t> ItemAt(POINT screen, HMENU* menu = nullptr, int* position = nullptr) const;
    void ShowContextMenu(size_t item, POINT at);
    // Mouse and keys inside the menu, before the menu takes them; true when
    // they were taken here.
    bool OnMenuInput(const MSG& msg);
    void OnMenuSelect(WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK Filter(int code, WPARAM wParam, LPARAM lParam) noexcept;

    Services services_;
    uint64_t id_;
    HWND owner_ = nullptr;
    HMENU root_ = nullptr;
    std::vector<ShellFolder> folders_;
    std::vector<Item> items_;  // the item with id kFirstItem + i
    std::unordered_set<HMENU> menus_;
    ListingSettings settings_;
    TypeNames types_;
    int pictureSize_ = 16;
    ShellContextMenu context_;
    bool contextChosen_ = false;
    std::optional<size_t> pressed_;  // the left button went down on it
    POINT pressedAt_{0, 0};
    std::optional<size_t> dragged_;
    HMENU selectedMenu_ = nullptr;  // where the keyboard is
    int selectedPosition_ = -1;
};

}  // namespace lark::win
