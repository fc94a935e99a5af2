#pragma once
// The folder menus' work on the bar's background thread: whether a
// button's target is a folder, and the shell's picture of each menu item.
// Results wait until taken; the window named at construction is told by a
// posted message that there are some.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/win32/BackgroundThread.h"
#include "base/win32/Handles.h"
#include "foldermenu/win32/ShellItems.h"

namespace lark::win {

class FolderWorker {
public:
    // The work is done on `background` (a thread of its own when none is given).
    FolderWorker(HWND notify, UINT message, std::shared_ptr<BackgroundThread> background = nullptr);
    // Waits a moment for a piece of work under way; one held up by a slow
    // disk is left to end by itself.
    ~FolderWorker();
    FolderWorker(const FolderWorker&) = delete;
    FolderWorker& operator=(const FolderWorker&) = delete;

    // Whether a local path (or a shortcut in one) is a folder.
    void Probe(const std::string& target);
    struct Probed {
        std::string target;
        bool folder = false;
    };
    std::vector<Probed> TakeProbed();

    // A menu item's picture: its type's first, then its own where the type
    // draws each file its own way (programs, shortcuts, icons).
    struct PictureJob {
        uint64_t menu = 0;  // which menu asks
        size_t item = 0;
        UniquePidl absolute;
        std::wstring fileName;  // for the type's picture; empty for no file
        bool folder = false;
    };
    // Goes before what was asked earlier: the menu just opened is on screen.
    void RequestPictures(std::vector<PictureJob> jobs);
    // Pictures still to come for older menus are not wanted.
    void ForgetPictures(uint64_t exceptMenu);
    struct Picture {
        uint64_t menu = 0;
        size_t item = 0;
        int systemIndex = -1;
        // The picture itself, the first time its system index arrives.
        UniqueIcon icon;
    };
    std::vector<Picture> TakePictures();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::shared_ptr<BackgroundThread> background_;
    int step_ = 0;
};

}  // namespace lark::win
