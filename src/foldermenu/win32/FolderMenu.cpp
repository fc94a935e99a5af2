#include "foldermenu/win32/FolderMenu.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdlib>

#include "base/win32/Barrier.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

constexpr UINT kMenuGetHMenu = 0x01E1;  // MN_GETHMENU: a menu window's menu

// The one folder menu on screen, for the input filter; menus are modal.
FolderMenu* tracking = nullptr;

// An "&" in a name is a letter, not an access key.
std::wstring MenuText(const std::string& text) {
    std::wstring out;
    for (wchar_t c : Widen(text)) {
        if (c == L'&') out += L'&';
        out += c;
    }
    return out;
}

HMENU MenuOfWindow(HWND window) {
    wchar_t name[16] = {};
    if (!window || !GetClassNameW(window, name, 16) || wcscmp(name, L"#32768") != 0) return nullptr;
    return reinterpret_cast<HMENU>(SendMessageW(window, kMenuGetHMenu, 0, 0));
}

// Pictures come while a menu is open: its windows draw them again.
void RedrawMenuWindows() {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            if (MenuOfWindow(window) && IsWindowVisible(window)) InvalidateRect(window, nullptr, FALSE);
            return TRUE;
        },
        0);
}

// The drag of an item out of the menu: the shell's own data for it.
class MenuDropSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDropSource) {
            *out = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

}  // namespace

FolderMenu::~FolderMenu() {
    if (tracking == this) tracking = nullptr;
    // Sub-menus go with the menu they are in.
    if (root_) DestroyMenu(root_);
}

void FolderMenu::Run(const std::string& target, const RECT& button, HWND owner, bool fromKeyboard) {
    owner_ = owner;
    settings_ = ListingSettings::Read();
    ImageList_GetIconSize(services_.pictures, &pictureSize_, &pictureSize_);
    root_ = CreatePopupMenu();
    if (!root_) return;
    menus_.insert(root_);
    std::string failure;
    if (std::optional<ShellFolder> folder = OpenTargetFolder(target, owner, failure)) {
        folders_.push_back(std::move(*folder));
        Fill(root_, 0);
    } else {
        AddDisabled(root_, failure);
    }
    UINT chosen = 0;
    {
        // The menu's input passes the filter while it is up, and only then.
        struct Filtering {
            HHOOK hook;
            explicit Filtering(FolderMenu* menu)
                : hook(SetWindowsHookExW(WH_MSGFILTER, &FolderMenu::Filter, nullptr, GetCurrentThreadId())) {
                tracking = menu;
            }
            ~Filtering() {
                if (hook) UnhookWindowsHookEx(hook);
                tracking = nullptr;
            }
        } filtering(this);
        // The menu closes properly only when its owner is in the foreground.
        SetForegroundWindow(owner);
        // Opened by a key, it starts on its first item as a menu bar's does.
        if (fromKeyboard) PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
        TPMPARAMS params{sizeof params, button};
        chosen = static_cast<UINT>(TrackPopupMenuEx(root_, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL,
                                                    button.left, button.bottom, owner, &params));
        PostMessageW(owner, WM_NULL, 0, 0);
    }

    // What was chosen runs once every menu has closed.
    if (contextChosen_) {
        context_.Invoke();
    } else if (dragged_) {
        Drag(items_[*dragged_]);
    } else if (chosen >= kFirstItem && chosen - kFirstItem < items_.size()) {
        Launch(items_[chosen - kFirstItem]);
    }
}

void FolderMenu::Fill(HMENU menu, size_t folder) {
    std::vector<ListedChild> children;
    const FolderListing listing = ListFolder(folders_[folder], owner_, settings_, types_, children);
    const std::vector<FolderMenuRow> rows = FolderMenuRows(listing, settings_.hidden, [](const std::string& a, const std::string& b) {
        return StrCmpLogicalW(Widen(a).c_str(), Widen(b).c_str()) < 0;
    });
    std::vector<FolderWorker::PictureJob> jobs;
    for (const FolderMenuRow& row : rows) {
        if (!row.enabled) {
            AddDisabled(menu, row.text);
            continue;
        }
        if (items_.size() >= kMostItems) break;
        ListedChild& child = children[row.source];
        Item item;
        item.folder = folder;
        item.isFolder = row.folder;
        const size_t index = items_.size();
        std::wstring text = MenuText(row.text);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_DATA;
        info.wID = kFirstItem + static_cast<UINT>(index);
        info.dwTypeData = text.data();
        // Drawn from the picture list: thousands of items need no bitmap each.
        info.hbmpItem = HBMMENU_CALLBACK;
        info.dwItemData = index;
        if (row.folder) {
            item.submenu = CreatePopupMenu();
            if (item.submenu) {
                menus_.insert(item.submenu);
                info.fMask |= MIIM_SUBMENU;
                info.hSubMenu = item.submenu;
            }
        }
        if (!InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info)) {
            if (item.submenu) DestroyMenu(item.submenu);
            continue;
        }
        jobs.push_back(FolderWorker::PictureJob{id_, index, JoinPidl(folders_[folder].absolute.get(), child.pidl.get()),
                                                child.fileName, row.folder});
        item.child = std::move(child.pidl);
        items_.push_back(std::move(item));
    }
    services_.worker.RequestPictures(std::move(jobs));
}

void FolderMenu::FillSubmenu(HMENU menu) {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].submenu != menu || items_[i].filled) continue;
        items_[i].filled = true;
        std::string failure;
        std::optional<ShellFolder> folder = OpenChildFolder(folders_[items_[i].folder], items_[i].child.get(), failure);
        if (!folder) {
            AddDisabled(menu, failure);
            return;
        }
        folders_.push_back(std::move(*folder));
        Fill(menu, folders_.size() - 1);
        return;
    }
}

void FolderMenu::AddDisabled(HMENU menu, const std::string& text) {
    std::wstring line = MenuText(text);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_STATE | MIIM_ID;
    info.fState = MFS_DISABLED;
    info.dwTypeData = line.data();
    InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
}

void FolderMenu::Launch(const Item& item) {
    IShellFolder& folder = *folders_[item.folder].folder;
    const ITEMIDLIST* child = item.child.get();
    SFGAOF attributes = SFGAO_FILESYSTEM;
    if (FAILED(folder.GetAttributesOf(1, reinterpret_cast<PCUITEMID_CHILD_ARRAY>(&child), &attributes))) attributes = 0;
    const std::wstring path = DisplayNameOf(folder, child, SHGDN_FORPARSING);
    if ((attributes & SFGAO_FILESYSTEM) && !path.empty()) {
        // As the bar opens a file: its folder is where it starts.
        const size_t slash = path.find_last_of(L'\\');
        const std::optional<std::string> directory =
            slash == std::wstring::npos ? std::nullopt : std::optional<std::string>(Narrow(path.substr(0, slash)));
        services_.shell.Execute(reinterpret_cast<uintptr_t>(owner_), std::nullopt, Narrow(path), std::nullopt,
                                directory, kShowNormal);
        return;
    }
    // A shell object with no path (a Control Panel item) opens by its item list.
    const UniquePidl absolute = JoinPidl(folders_[item.folder].absolute.get(), child);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.hwnd = owner_;
    info.lpIDList = absolute.get();
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&info);
}

void FolderMenu::Drag(const Item& item) {
    // Let go already: the press was a click after all.
    if (GetAsyncKeyState(VK_LBUTTON) >= 0) return;
    const ITEMIDLIST* child = item.child.get();
    ComPtr<IDataObject> data;
    if (FAILED(folders_[item.folder].folder->GetUIObjectOf(owner_, 1, reinterpret_cast<PCUITEMID_CHILD_ARRAY>(&child),
                                                            IID_IDataObject, nullptr,
                                                            reinterpret_cast<void**>(data.put()))) ||
        !data)
        return;
    MenuDropSource source;
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data.get(), &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
}

std::optional<size_t> FolderMenu::ItemOf(HMENU menu, int position) const {
    if (!IsOurs(menu) || position < 0) return std::nullopt;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return std::nullopt;
    if (info.wID < kFirstItem || info.wID - kFirstItem >= items_.size()) return std::nullopt;
    return info.wID - kFirstItem;
}

std::optional<size_t> FolderMenu::ItemAt(POINT screen, HMENU* menu, int* position) const {
    HMENU under = MenuOfWindow(WindowFromPoint(screen));
    if (!under || !IsOurs(under)) return std::nullopt;
    const int at = MenuItemFromPoint(nullptr, under, screen);
    if (menu) *menu = under;
    if (position) *position = at;
    return ItemOf(under, at);
}

void FolderMenu::ShowContextMenu(size_t item, POINT at) {
    pressed_.reset();
    IShellFolder& folder = *folders_[items_[item].folder].folder;
    if (context_.Track(folder, items_[item].child.get(), owner_, at)) {
        contextChosen_ = true;
        EndMenu();
    }
}

bool FolderMenu::OnMenuInput(const MSG& msg) {
    // The shell's menu, open over ours, takes its own input.
    if (context_.Open()) return false;
    switch (msg.message) {
        case WM_RBUTTONDOWN:
            return ItemAt(msg.pt).has_value();
        case WM_RBUTTONUP: {
            const std::optional<size_t> item = ItemAt(msg.pt);
            if (!item) return false;
            // Taken from the queue first: the shell's menu must not see it.
            MSG taken;
            PeekMessageW(&taken, nullptr, WM_RBUTTONUP, WM_RBUTTONUP, PM_REMOVE);
            ShowContextMenu(*item, msg.pt);
            return true;
        }
        case WM_LBUTTONDOWN:
            pressed_ = ItemAt(msg.pt);
            pressedAt_ = msg.pt;
            return false;
        case WM_MOUSEMOVE:
            if (!pressed_) return false;
            if (!(msg.wParam & MK_LBUTTON)) {
                pressed_.reset();
                return false;
            }
            if (std::abs(msg.pt.x - pressedAt_.x) < GetSystemMetrics(SM_CXDRAG) &&
                std::abs(msg.pt.y - pressedAt_.y) < GetSystemMetrics(SM_CYDRAG))
                return false;
            // The drag starts once the menus are gone, the button still down.
            dragged_ = pressed_;
            pressed_.reset();
            EndMenu();
            return true;
        case WM_LBUTTONUP:
            pressed_.reset();
            return false;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            const bool menuKey =
                msg.wParam == VK_APPS || (msg.wParam == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000) != 0);
            const std::optional<size_t> item = menuKey ? ItemOf(selectedMenu_, selectedPosition_) : std::nullopt;
            if (!item) return false;
            RECT r{};
            GetMenuItemRect(nullptr, selectedMenu_, static_cast<UINT>(selectedPosition_), &r);
            ShowContextMenu(*item, POINT{r.left + (r.bottom - r.top), r.bottom});
            return true;
        }
        default:
            return false;
    }
}

void FolderMenu::OnMenuSelect(WPARAM wParam, LPARAM lParam) {
    const auto menu = reinterpret_cast<HMENU>(lParam);
    selectedMenu_ = nullptr;
    selectedPosition_ = -1;
    if (!IsOurs(menu) || HIWORD(wParam) == 0xFFFF) return;
    if (HIWORD(wParam) & MF_POPUP) {
        selectedPosition_ = LOWORD(wParam);
    } else {
        for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i)
            if (GetMenuItemID(menu, i) == LOWORD(wParam)) selectedPosition_ = i;
    }
    selectedMenu_ = menu;
}

bool FolderMenu::HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_INITMENUPOPUP: {
            const auto menu = reinterpret_cast<HMENU>(wParam);
            if (!IsOurs(menu)) return context_.HandleMenuMessage(message, wParam, lParam, false, result);
            FillSubmenu(menu);
            result = 0;
            return true;
        }
        case WM_MEASUREITEM: {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (measure->CtlType != ODT_MENU || measure->itemID < kFirstItem ||
                measure->itemID - kFirstItem >= items_.size())
                return context_.HandleMenuMessage(message, wParam, lParam, false, result);
            measure->itemWidth = static_cast<UINT>(pictureSize_);
            measure->itemHeight = static_cast<UINT>(pictureSize_);
            result = TRUE;
            return true;
        }
        case WM_DRAWITEM: {
            const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw->CtlType != ODT_MENU || draw->itemID < kFirstItem || draw->itemID - kFirstItem >= items_.size())
                return context_.HandleMenuMessage(message, wParam, lParam, false, result);
            const Item& item = items_[draw->itemID - kFirstItem];
            const RECT& r = draw->rcItem;
            if (item.picture >= 0)
                ImageList_Draw(services_.pictures, item.picture, draw->hDC,
                               r.left + (r.right - r.left - pictureSize_) / 2,
                               r.top + (r.bottom - r.top - pictureSize_) / 2, ILD_TRANSPARENT);
            result = TRUE;
            return true;
        }
        case WM_MENUCHAR:
            // Our items' letters are the menu's own business.
            return !IsOurs(reinterpret_cast<HMENU>(lParam)) &&
                   context_.HandleMenuMessage(message, wParam, lParam, false, result);
        case WM_MENUSELECT:
            OnMenuSelect(wParam, lParam);
            return false;
        default:
            return false;
    }
}

void FolderMenu::ShowPictures(const std::vector<std::pair<size_t, int>>& pictures) {
    for (const auto& [item, picture] : pictures)
        if (item < items_.size()) items_[item].picture = picture;
    if (!pictures.empty()) RedrawMenuWindows();
}

LRESULT CALLBACK FolderMenu::Filter(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == MSGF_MENU && tracking && lParam) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
        if (Barrier([&] { return tracking->OnMenuInput(msg); }, [] { return false; })) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace lark::win
