#include "foldermenu/win32/FolderMenus.h"

#include <commctrl.h>

#include "base/win32/Barrier.h"
#include "base/win32/MessageWindow.h"
#include "base/win32/Ole.h"
#include "foldermenu/FolderContent.h"

namespace lark::win {
namespace {

constexpr UINT kWorkerNews = WM_APP + 1;
constexpr UINT_PTR kStartTimer = 1;
constexpr const wchar_t* kWindowClass = L"Brindlewick.Larkspan.FolderMenus";

}  // namespace

FolderMenus::FolderMenus(IShellLauncher& shell, std::function<void()> foldersFound,
                         std::shared_ptr<BackgroundThread> background)
    : shell_(shell), foldersFound_(std::move(foldersFound)), background_(std::move(background)) {}

FolderMenus::~FolderMenus() {
    // The worker's last news finds no one.
    if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

HWND FolderMenus::Window() {
    if (!window_) window_ = MakeMessageWindow(kWindowClass, &FolderMenus::WindowProc, this);
    return window_.get();
}

FolderWorker& FolderMenus::Worker() {
    if (!worker_) {
        worker_ = std::make_unique<FolderWorker>(Window(), kWorkerNews, background_);
        if (window_) KillTimer(window_.get(), kStartTimer);
        for (const std::string& target : waiting_) worker_->Probe(target);
        waiting_.clear();
    }
    return *worker_;
}

void FolderMenus::ProbeSoon(const std::string& target) {
    if (worker_) {
        worker_->Probe(target);
        return;
    }
    // The bar asks while it loads: a thread made then competes with its
    // first paint. Timers come after paints.
    waiting_.push_back(target);
    if (waiting_.size() == 1 && !(Window() && SetTimer(window_.get(), kStartTimer, 1, nullptr))) Worker();
}

HIMAGELIST FolderMenus::Pictures() {
    if (!pictures_) {
        // The size of the shell's small pictures, which the worker hands over.
        const int size = GetSystemMetrics(SM_CXSMICON);
        pictures_.reset(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 64, 64));
    }
    return pictures_.get();
}

bool FolderMenus::IsFolder(const std::string& target) {
    switch (FolderTargetKind(target)) {
        case TargetKind::Folder: return true;
        case TargetKind::NotFolder: return false;
        case TargetKind::ByName: return NamedLikeFolder(target);
        case TargetKind::Look: break;
    }
    auto known = known_.find(target);
    if (known != known_.end()) return known->second;
    if (asked_.insert(target).second) ProbeSoon(target);
    return false;
}

void FolderMenus::Open(const std::string& target, const RectPx& button, uintptr_t owner, bool fromKeyboard) {
    if (open_) return;  // one menu at a time
    // The shell's folders, its menus and a drag out need COM and OLE here,
    // and a menu may open before the bar has started them.
    EnsureOleInitialized();
    FolderMenu menu(FolderMenu::Services{shell_, Worker(), Pictures()}, ++menus_);
    Worker().ForgetPictures(menu.Id());
    open_ = &menu;
    struct Closing {
        FolderMenu*& open;
        ~Closing() { open = nullptr; }
    } closing{open_};
    menu.Run(target, RECT{button.left, button.top, button.right, button.bottom}, reinterpret_cast<HWND>(owner),
             fromKeyboard);
}

bool FolderMenus::HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return open_ && open_->HandleMenuMessage(message, wParam, lParam, result);
}

void FolderMenus::TakeNews() {
    if (!worker_) return;
    bool found = false;
    for (const FolderWorker::Probed& probed : worker_->TakeProbed()) {
        known_[probed.target] = probed.folder;
        found = found || probed.folder;
    }
    std::vector<std::pair<size_t, int>> shown;
    for (FolderWorker::Picture& picture : worker_->TakePictures()) {
        auto place = pictureOf_.find(picture.systemIndex);
        if (place == pictureOf_.end() && picture.icon) {
            const int added = ImageList_ReplaceIcon(Pictures(), -1, picture.icon.get());
            if (added >= 0) place = pictureOf_.emplace(picture.systemIndex, added).first;
        }
        if (place != pictureOf_.end() && open_ && picture.menu == open_->Id()) shown.emplace_back(picture.item, place->second);
    }
    if (open_) open_->ShowPictures(shown);
    if (found && foldersFound_) foldersFound_();
}

LRESULT CALLBACK FolderMenus::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<FolderMenus*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == kWorkerNews) {
        Barrier([&] { self->TakeNews(); });
        return 0;
    }
    if (self && message == WM_TIMER && wParam == kStartTimer) {
        Barrier([&] { self->Worker(); });
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace lark::win
