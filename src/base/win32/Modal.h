#pragma once
// The one way the program's dialogs are modal, and the window they belong
// to. While a dialog runs, every other window of the program is disabled
// (the bar has two, and the edge message may be up), so no click or key
// reaches them and an auto-hidden bar stays out; the dialog gets the keys
// of a dialog; a quit that arrives meanwhile is passed on to the main loop.
#include <windows.h>

#include <functional>
#include <vector>

namespace lark::win {

// The window that owns the program's dialogs and message boxes: its active
// window when that is on screen, else the bar window on screen. Never the
// foreground window of another program, which the dialog would disable.
HWND DialogOwner();
// How the bar window on screen is found; set once by the program.
void SetMainWindowFinder(std::function<HWND()> finder);

class ModalScope {
public:
    // Disables every enabled top-level window of this thread but the dialog.
    explicit ModalScope(HWND dialog);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    // Runs the messages of the thread until done() or the program quits.
    // pre sees each message first and takes it by answering true.
    void Run(const std::function<bool()>& done, const std::function<bool(const MSG&)>& pre = {});
    // The other windows enabled again: before the dialog goes, so that the
    // system gives the activation back to them.
    void End();

private:
    HWND dialog_;
    std::vector<HWND> disabled_;
};

}  // namespace lark::win
