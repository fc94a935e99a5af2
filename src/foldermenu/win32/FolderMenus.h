#pragma once
// The folder menus of the bar: which buttons open as menus, and the menu
// of one of them on screen. A worker looks at targets and finds pictures
// on the bar's background thread.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/FolderMenus.h"
#include "base/ShellLauncher.h"
#include "base/win32/Handles.h"
#include "foldermenu/win32/FolderMenu.h"
#include "foldermenu/win32/FolderWorker.h"

namespace lark::win {

class FolderMenus : public IFolderMenus {
public:
    // foldersFound: some targets proved to be folders; the bar asks again.
    // The worker runs on `background` (a thread of its own when none is given).
    FolderMenus(IShellLauncher& shell, std::function<void()> foldersFound,
                std::shared_ptr<BackgroundThread> background = nullptr);
    ~FolderMenus() override;
    FolderMenus(const FolderMenus&) = delete;
    FolderMenus& operator=(const FolderMenus&) = delete;

    bool IsFolder(const std::string& target) override;
    void Open(const std::string& target, const RectPx& button, uintptr_t owner, bool fromKeyboard) override;

    // The owner window's menu messages while a folder menu is open; true
    // when they were the menu's.
    bool HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    HWND Window();
    FolderWorker& Worker();
    // Looks at a target away from this thread, once the bar is on screen.
    void ProbeSoon(const std::string& target);
    HIMAGELIST Pictures();
    void TakeNews();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    IShellLauncher& shell_;
    std::function<void()> foldersFound_;
    std::shared_ptr<BackgroundThread> background_;
    UniqueWindow window_;  // told by the worker
    std::unique_ptr<FolderWorker> worker_;
    std::unordered_map<std::string, bool> known_;
    std::unordered_set<std::string> asked_;
    std::vector<std::string> waiting_;  // asked before the worker started
    UniqueImageList pictures_;
    std::unordered_map<int, int> pictureOf_;  // a system picture's place in ours
    FolderMenu* open_ = nullptr;
    uint64_t menus_ = 0;
};

}  // namespace lark::win
