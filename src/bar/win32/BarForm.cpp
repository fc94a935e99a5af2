#include "bar/win32/BarForm.h"

#include "bar/DropList.h"
#include "base/win32/Colours.h"
#include "base/win32/Dpi.h"
#include "base/win32/EventLoop.h"
#include "base/win32/SystemColours.h"

namespace lark::win {
namespace {

constexpr UINT_PTR kDragHoverTimer = 3;   // the float's and the dock's timers are 1 and 2
// Timers come after paints: OLE and the drop target are set up once the
// bar is on screen, not before its first paint. Set when the window first
// shows: the catalogue's load lets timers run before that.
constexpr UINT_PTR kDropTargetTimer = 4;
constexpr UINT kRunDropsMessage = WM_APP + 3;  // + 1 is the docked bar's appbar message, + 2 the float's move

bool Contains(HWND window, POINT screen) {
    RECT r{};
    return window && IsWindowVisible(window) && GetWindowRect(window, &r) && PtInRect(&r, screen);
}

}  // namespace

void BarForm::CreateContent() {
    dpi_ = DpiOfWindow(Handle());
    // Mouse positions go to the menu in the system's twips, which bring
    // them back to the same pixels at any DPI.
    const TwipScale scale{app_.state.TwipsPerPixelX, app_.state.TwipsPerPixelY};
    content_ = std::make_unique<BarContent>(Handle(), lists_.small, lists_.large, scale, *this);
    // A window made later shows at once what the others show.
    if (view_) app_.state.Bar.Detach(*view_);
    view_ = std::make_unique<BarWindowView>(*content_);
    app_.state.Bar.Attach(*view_);
    findBox_ = std::make_unique<FindBox>(Handle());
    findBox_->SetDpi(dpi_);
    find_ = std::make_unique<TypeToFind>(app_.state.Bar, static_cast<IFindView&>(*this));
}

BarForm::~BarForm() {
    if (view_) app_.state.Bar.Detach(*view_);
}

void BarForm::RegisterDropTarget() {
    if (!dropTarget_) dropTarget_ = std::make_unique<DropRegistration>(Handle(), static_cast<IDropSite&>(*this));
}

void BarForm::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    if (content_) content_->SetDpi(dpi);
    if (findBox_) findBox_->SetDpi(dpi);
    if (IsWindowVisible(Handle())) host_.ShownBarDpi(dpi);
}

void BarForm::AfterShow() {
    if (!dropTarget_ && !SetTimer(Handle(), kDropTargetTimer, 1, nullptr)) RegisterDropTarget();
    // The monitor's DPI: a tool window that the system told nothing of its
    // move has the old one still.
    const auto dpi = static_cast<UINT>(MonitorOfWindow(Handle()).dpi);
    if (dpi != dpi_) {
        OnDpiChanged(dpi, nullptr);
    } else {
        host_.ShownBarDpi(dpi);
    }
}

void BarForm::LayoutContent() {
    if (content_ && !IsIconic(Handle())) {
        content_->Layout();
        PlaceFindBox();
    }
}

void BarForm::OnTabSelected(int32_t position) {
    // Every view shows the section the model shows.
    app_.state.Bar.ShowSection(position);
    host_.SectionShown();
}

void BarForm::OnButtonClick(int32_t toolbarIndex, const std::string& key) {
    ButtonTag tag;
    // A button the bar no longer holds has nothing to open.
    if (!Guard([&] { tag = app_.state.Bar.MustButton(toolbarIndex, key).Tag(); })) return;
    host_.LaunchButton(kind_, tag);
}

void BarForm::OnTabMouseUp(const MouseArgs& args) {
    if (args.button != 2) return;
    const TwipScale scale{app_.state.TwipsPerPixelX, app_.state.TwipsPerPixelY};
    const int32_t tab = content_->Tabs().TabAt(scale.x.NearestPixels(args.x), scale.y.NearestPixels(args.y));
    host_.TabStripRightClick(content_->TabStripHandle(), args.x, args.y, tab);
}

void BarForm::OnToolbarMouseUp(int32_t toolbarIndex, const MouseArgs& args) {
    if (args.button != 2) return;
    const TwipScale scale{app_.state.TwipsPerPixelX, app_.state.TwipsPerPixelY};
    const std::string key =
        content_->ToolbarAt(toolbarIndex).ButtonKeyAt(scale.x.NearestPixels(args.x), scale.y.NearestPixels(args.y));
    host_.ToolbarRightClick(toolbarIndex, key, content_->ToolbarHandle(toolbarIndex), args.x, args.y);
}

void BarForm::OnTabContextClick() {
    // From the keyboard: the menu opens at the mouse pointer.
    POINT cursor{};
    GetCursorPos(&cursor);
    app_.state.CursorPos = PointPx{cursor.x, cursor.y};
    ScreenToClient(content_->TabStripHandle(), &cursor);
    // The keyboard is on the selected tab.
    host_.TabStripRightClick(content_->TabStripHandle(), app_.state.TwipsPerPixelX.Twips(cursor.x),
                             app_.state.TwipsPerPixelY.Twips(cursor.y), content_->TabControl1().CurrentTab());
}

void BarForm::OnButtonDrag(int32_t toolbarIndex, const std::string& key) {
    // Modal until the button is dropped or the drag cancelled; it runs
    // inside the toolbar's procedure, which no exception may leave.
    Guard([&] { DragButton(ButtonDrag{toolbarIndex, key}); });
}

bool BarForm::OpensAsMenu(const ButtonTag& tag) { return host_.Folders().IsFolder(tag.target); }

void BarForm::OnButtonDropDown(int32_t toolbarIndex, const std::string& key, const RECT& screen) {
    ButtonTag tag;
    if (!Guard([&] { tag = app_.state.Bar.MustButton(toolbarIndex, key).Tag(); })) return;
    // Modal until the menu closes; it runs inside the toolbar's notification.
    Guard([&] {
        host_.Folders().Open(tag.target, RectPx{screen.left, screen.top, screen.right, screen.bottom},
                                 reinterpret_cast<uintptr_t>(Handle()), false);
    });
}

void BarForm::OnChevron(int32_t toolbarIndex, const RECT& chevron) {
    Toolbar& toolbar = content_->ToolbarAt(toolbarIndex);
    HWND control = toolbar.Handle();
    std::vector<std::string> keys;
    std::vector<OverflowEntry> entries;
    for (const std::string& key : toolbar.HiddenKeys()) {
        if (const BarButton* button = app_.state.Bar.Button(toolbarIndex, key)) {
            keys.push_back(key);
            entries.push_back(OverflowEntry{button->name, button->picture});
        }
    }
    toolbar.SetChevronPressed(true);
    const OverflowChoice choice = host_.ShowOverflowMenu(entries, Handle(), chevron);
    // The menu's loop may have changed the bar (a reload): the toolbar is
    // looked for again, and a chosen key the bar no longer holds opens
    // nothing.
    if (!content_->HasToolbar(toolbarIndex) || content_->ToolbarHandle(toolbarIndex) != control) return;
    content_->ToolbarAt(toolbarIndex).SetChevronPressed(false);
    if (choice.index < 0 || static_cast<size_t>(choice.index) >= keys.size()) return;
    const std::string key = keys[static_cast<size_t>(choice.index)];
    if (!choice.context) {
        OnButtonClick(toolbarIndex, key);
        return;
    }
    // That program's menu, where the mouse is.
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(control, &cursor);
    host_.ToolbarRightClick(toolbarIndex, key, control, app_.state.TwipsPerPixelX.Twips(cursor.x),
                            app_.state.TwipsPerPixelY.Twips(cursor.y));
}

BarForm::DropPlace BarForm::PlaceAt(POINT screen) const {
    DropPlace place = PlaceOnBarAt(screen);
    // A toolbar of no section (an empty bar's) takes nothing, nor one of a
    // section without a name: the loader reads no entry under such a header.
    if (place.toolbar < 0) return place;
    const BarSection* section = app_.state.Bar.Section(place.toolbar);
    if (!section || section->name.empty()) return DropPlace{};
    return place;
}

BarForm::DropPlace BarForm::PlaceOnBarAt(POINT screen) const {
    DropPlace place;
    const int32_t shown = content_->ShownToolbar();
    if (shown >= 0) {
        const Toolbar& toolbar = content_->ToolbarAt(shown);
        if (Contains(toolbar.Handle(), screen)) {
            POINT at = screen;
            ScreenToClient(toolbar.Handle(), &at);
            place.toolbar = shown;
            place.position = toolbar.DropPositionAt(at.x, at.y);
            return place;
        }
    }
    HWND strip = content_->TabStripHandle();
    if (!Contains(strip, screen)) return place;
    POINT at = screen;
    ScreenToClient(strip, &at);
    if (const int32_t tab = content_->Tabs().TabAt(at.x, at.y); tab > 0) {
        // A tab stands for its section: the end of its toolbar.
        if (const BarSection* section = app_.state.Bar.SectionAt(tab)) {
            place.toolbar = section->toolbar;
            place.tab = tab;
        }
        return place;
    }
    // Below the buttons: the end of the section shown.
    place.toolbar = shown;
    return place;
}

void BarForm::ShowDropPlace(const DropPlace& place) {
    for (int32_t index : content_->ToolbarIndices()) {
        Toolbar& toolbar = content_->ToolbarAt(index);
        const bool here = index == place.toolbar && place.tab == 0;
        const auto end = static_cast<int32_t>(toolbar.ButtonKeys().size());
        toolbar.SetInsertMark(here ? (place.position < 0 ? end : place.position) : -1);
    }
    content_->Tabs().HighlightTab(place.tab);
    // Resting on another section's tab shows that section after a moment,
    // so a drop can land in its place there.
    const int32_t rest = place.tab != content_->TabControl1().CurrentTab() ? place.tab : 0;
    if (rest == hoverTab_) return;
    hoverTab_ = rest;
    if (rest > 0) {
        UINT hover = 400;
        SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hover, 0);
        SetTimer(Handle(), kDragHoverTimer, hover, nullptr);
    } else {
        KillTimer(Handle(), kDragHoverTimer);
    }
}

DWORD BarForm::DragOver(POINT screen, const DragPayload& payload, DWORD allowed) {
    OnDragOverBar();
    const DropPlace place = payload.button || CanDrop(payload.items) ? PlaceAt(screen) : DropPlace{};
    ShowDropPlace(place);
    if (place.toolbar < 0) return DROPEFFECT_NONE;
    // A button moves; what comes from outside is linked to, never moved.
    if (payload.button) return allowed & DROPEFFECT_MOVE;
    if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
    return allowed & DROPEFFECT_COPY;
}

void BarForm::DragLeave() { ShowDropPlace(DropPlace{}); }

DWORD BarForm::Drop(POINT screen, const DragPayload& payload, DWORD allowed) {
    const DWORD effect = DragOver(screen, payload, allowed);
    const DropPlace place = PlaceAt(screen);
    ShowDropPlace(DropPlace{});
    if (effect == DROPEFFECT_NONE) return effect;
    pendingDrops_.emplace_back(place, payload);
    PostMessageW(Handle(), kRunDropsMessage, 0, 0);
    return effect;
}

void BarForm::RunPendingDrops() {
    std::vector<std::pair<DropPlace, DragPayload>> drops;
    drops.swap(pendingDrops_);
    for (const auto& [place, payload] : drops) {
        if (payload.button) {
            host_.MoveProgram(payload.button->toolbar, payload.button->key, place.toolbar, place.position);
        } else {
            host_.DropPrograms(place.toolbar, place.position, payload.items);
        }
    }
}

RectPx BarForm::WindowBounds() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return RectPx{r.left, r.top, r.right, r.bottom};
}

LRESULT BarForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (content_ && content_->HandleNotify(reinterpret_cast<const NMHDR*>(lParam), result)) return result;
            break;
        }
        case WM_COMMAND:
            if (content_ && content_->HandleCommand(wParam, lParam)) return 0;
            break;
        case WM_INITMENUPOPUP:
        case WM_MENUCHAR:
        case WM_MENUSELECT: {
            LRESULT result = 0;
            if (host_.MenuMessage(message, wParam, lParam, result)) return result;
            break;
        }
        case WM_MEASUREITEM:
        case WM_DRAWITEM: {
            // A folder's menu, or an owner-drawn popup menu owned by this window.
            LRESULT result = 0;
            if (host_.MenuMessage(message, wParam, lParam, result)) return result;
            if (host_.OwnerDraw(message, lParam)) return TRUE;
            break;
        }
        case WM_TIMER:
            if (wParam == kDropTargetTimer) {
                KillTimer(Handle(), kDropTargetTimer);
                RegisterDropTarget();
                return 0;
            }
            if (wParam != kDragHoverTimer) break;
            KillTimer(Handle(), kDragHoverTimer);
            if (hoverTab_ > 0) Guard([&] { content_->TabControl1().SelectTab(hoverTab_); });
            hoverTab_ = 0;
            return 0;
        case kRunDropsMessage:
            RunPendingDrops();
            return 0;
        case WM_DESTROY:
            if (dropTarget_) dropTarget_->Revoke();
            // Its controls go with it: the model's changes no longer reach them.
            if (view_) app_.state.Bar.Detach(*view_);
            break;
        // What these set in motion is skipped, never thrown through the window procedure.
        case WM_HOTKEY:
            Guard([&] { host_.HotkeyPressed(); });
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                Guard([&] { ClearFind(); });
                Guard([&] { host_.BarDeactivated(); });
            } else {
                Guard([&] { host_.BarActivated(); });
            }
            break;
        case WM_SYSCOMMAND:
            // An Alt release alone enters menu mode, which eats the keys
            // typed next. The hotkey's own Alt goes down in the window the
            // hotkey came from and up here: that is no tap of the user's.
            if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0) return 0;
            break;
        case WM_SETFOCUS:
            // The frame itself does nothing with keys: the section does.
            Guard([&] { FocusSection(); });
            return 0;
        case WM_SETCURSOR:
            // A long operation's hourglass stays while the mouse moves over the bar.
            if (app_.platform.MousePointer.Busy()) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DISPLAYCHANGE:
        case WM_SETTINGCHANGE: {
            if (const std::optional<ColourNews> news = ColourNewsOf(message, wParam, lParam))
                Guard([&] { host_.ColoursAnnounced(*news); });
            // Tool windows may miss WM_DPICHANGED: look for a new DPI here too.
            const auto dpi = static_cast<UINT>(MonitorOfWindow(Handle()).dpi);
            if (dpi != dpi_) OnDpiChanged(dpi, nullptr);
            break;
        }
        case WM_SYSCOLORCHANGE:
            // The common controls keep copies of the system's colours.
            ForwardSystemColours(Handle());
            Guard([&] { host_.ColoursAnnounced(ColourNews::SystemColours); });
            break;
        default:
            if (message == EventLoop::CountsMessage()) return static_cast<LRESULT>(EventLoop::CountOf(wParam));
            break;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace lark::win
