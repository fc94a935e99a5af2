#pragma once
// The catalogue's folder watched from the program's message loop: a change
// notification handle (FindFirstChangeNotificationW) that the loop waits on
// with the messages, and a wake-up when a look at the file is due. No
// timer runs and nothing wakes the program while the folder is quiet.
#include <windows.h>

#include <functional>

#include "base/win32/EventLoop.h"
#include "base/win32/Handles.h"
#include "base/win32/Services.h"
#include "catalogue/CatalogueFollow.h"

namespace lark::win {

class CatalogueWatcher : public ILoopWaiter, private ICatalogueFollowHost {
public:
    struct Actions {
        std::function<void()> reload;
        std::function<void(const std::string&)> report;
        std::function<std::optional<CatalogueFault>(std::string_view)> check;
    };
    CatalogueWatcher(IFileSystem& files, Actions actions)
        : actions_(std::move(actions)), follow_(files, stamps_, static_cast<ICatalogueFollowHost&>(*this)) {}

    CatalogueFollow& Follow() { return follow_; }
    // The bar was activated or shown.
    void Activated() { follow_.Activated(GetTickCount64()); }

    HANDLE WaitHandle() override { return change_ ? change_.get() : nullptr; }
    DWORD WaitMs() override;
    void Signalled() override;
    void Due() override;
    void WaitFailed() override;

private:
    bool WatchFolder(const std::string& folder) override;
    void ReloadCatalogueFromFile() override { actions_.reload(); }
    void ReportCatalogueProblem(const std::string& text) override { actions_.report(text); }
    std::optional<CatalogueFault> CheckCatalogue(std::string_view bytes) override { return actions_.check(bytes); }

    Actions actions_;
    FileStampService stamps_;
    UniqueChangeNotification change_;
    CatalogueFollow follow_;
};

}  // namespace lark::win
