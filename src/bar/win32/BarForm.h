#pragma once
// What the floating and the docked bar window share: the bar content (tab
// strip and toolbars), its layout, and the input both handle alike.
#include <memory>

#include "bar/Launch.h"
#include "bar/TypeToFind.h"
#include "bar/win32/BarContent.h"
#include "bar/win32/DragDrop.h"
#include "bar/win32/FindBox.h"
#include "base/App.h"
#include "base/BarWindowView.h"
#include "base/DropData.h"
#include "base/FolderMenus.h"
#include "base/Palette.h"
#include "base/win32/Form.h"

namespace lark::win {

class KeyedImageList;

// The chevron's menu: the buttons a toolbar cannot show, in their order.
struct OverflowEntry {
    std::string name;
    std::string picture;  // its key in the image lists
};
struct OverflowChoice {
    int32_t index = -1;    // the entry chosen, -1 for none
    bool context = false;  // right-clicked: that program's menu is wanted
};

// What the bar windows hand on to the rest of the program.
class IBarHost {
public:
    virtual ~IBarHost() = default;
    virtual void LaunchButton(BarKind window, const ButtonTag& tag) = 0;
    // A move of the floating window has ended.
    virtual void FloatMoved() = 0;
    // Shift+Enter on a button whose target can run as administrator.
    virtual void LaunchButtonElevated(const ButtonTag& tag) = 0;
    // The global hotkey (registered on the floating window).
    virtual void HotkeyPressed() = 0;
    // Escape with nothing typed: the keyboard goes back where it came from.
    virtual void LeaveBar() = 0;
    // A bar window lost the keyboard to another window.
    virtual void BarDeactivated() = 0;
    // A bar window became the active one.
    virtual void BarActivated() = 0;
    // The docked bar's mouse and timer.
    virtual void DockedReveal() = 0;
    virtual void DockedHideTimerTick() = 0;
    // At the message's screen point.
    virtual void DockedTabMouseDown(PointPx at) = 0;
    virtual void DockedTabMouseUp(int16_t button, PointPx at) = 0;
    // Right-clicks: the popup menu, owned by the clicked control; x and y
    // in twips from its top left.
    virtual void ToolbarRightClick(int32_t toolbarIndex, const std::string& buttonKey, HWND control, double x,
                                   double y) = 0;
    // tab: the tab under the mouse, 0 for none.
    virtual void TabStripRightClick(HWND control, double x, double y, int32_t tab) = 0;
    // The chevron's menu below (or above) the chevron, a rectangle in
    // screen pixels; modal.
    virtual OverflowChoice ShowOverflowMenu(const std::vector<OverflowEntry>& entries, HWND owner,
                                            const RECT& chevron) = 0;
    // Drops on a toolbar, before the button at a position (-1: at the end):
    // programs brought from outside, or a button of the bar moved there.
    virtual void DropPrograms(int32_t toolbarIndex, int32_t position, const DroppedItems& items) = 0;
    virtual void MoveProgram(int32_t fromToolbar, const std::string& key, int32_t toToolbar, int32_t position) = 0;
    // The system's news.
    virtual void DisplayChanged() = 0;
    virtual void ShellRestarted() = 0;
    virtual void FullScreenApp(bool opened) = 0;
    virtual void EndSession() = 0;
    // The docked window as an appbar: the shell's news of other appbars,
    // and what the shell asks to hear of the window.
    virtual void AppBarPosChanged() = 0;
    virtual void DockActivated() = 0;
    virtual void DockWindowPosChanged() = 0;
    virtual void DockDpiChanged(UINT dpi) = 0;
    // The bar window on screen is at this DPI: its pictures' size.
    virtual void ShownBarDpi(UINT dpi) = 0;
    // The system announced a change of the app mode, high contrast or its
    // colours (each top-level window hears it).
    virtual void ColoursAnnounced(ColourNews news) = 0;
    // WM_MEASUREITEM and WM_DRAWITEM that are not the bar's own; true when
    // handled.
    virtual bool OwnerDraw(UINT message, LPARAM lParam) = 0;
    // Buttons whose target is a folder open its menu from their drop arrow.
    virtual IFolderMenus& Folders() = 0;
    // A menu's messages to its owner, a bar window, while a folder's menu is
    // open; true when they were the folder menu's, with its answer.
    virtual bool MenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // Closing the window: the program's shutdown; false when it was
    // abandoned and the window stays.
    virtual bool Quit() = 0;
    // A section came on screen: its pictures are wanted first.
    virtual void SectionShown() = 0;
};

struct BarImageLists {
    const KeyedImageList& small;
    const KeyedImageList& large;
};

class BarForm : public Form, public IBarContentEvents, private IDropSite, private IFindView {
public:
    IBarWindow& Content() { return *content_; }
    BarContent& Bar() { return *content_; }

    // Keyboard use of the bar, before the message is dispatched: sections,
    // buttons, launching and type to find. True when the key was taken.
    bool PreTranslate(const MSG& msg);
    // The keyboard on the shown section's toolbar.
    void FocusSection();
    // Forgets the text typed to find a program.
    void ClearFind() {
        if (find_) find_->Clear();
    }
    // The text typed to find a program, and the search made again with it
    // over new content.
    std::string FindText() const { return find_ ? find_->Text() : std::string(); }
    void FindAgain(const std::string& text);

protected:
    BarForm(FormRegistry& registry, App& app, BarImageLists lists, IBarHost& host, BarKind kind)
        : Form(registry), app_(app), host_(host), kind_(kind), lists_(lists) {}
    ~BarForm() override;

    // Creates the tab strip and Toolbar1(0) and shows the bar's model in
    // them; call once the window exists.
    void CreateContent();
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void LayoutContent();
    // Room for this many rows of buttons on the tab page.
    void SetRows(int32_t rows) {
        if (content_) content_->SetRows(rows);
    }

    void OnTabSelected(int32_t position) override;
    void OnButtonClick(int32_t toolbarIndex, const std::string& key) override;
    void OnTabMouseUp(const MouseArgs& args) override;
    void OnToolbarMouseUp(int32_t toolbarIndex, const MouseArgs& args) override;
    void OnTabContextClick() override;
    void OnButtonDrag(int32_t toolbarIndex, const std::string& key) override;
    bool OpensAsMenu(const ButtonTag& tag) override;
    void OnButtonDropDown(int32_t toolbarIndex, const std::string& key, const RECT& screen) override;
    void OnChevron(int32_t toolbarIndex, const RECT& chevron) override;
    // A drag over the window (the docked bar shows itself).
    virtual void OnDragOverBar() {}

    // The window's outer rectangle.
    RectPx WindowBounds() const;
    // Fonts, metrics and pictures of another DPI.
    void ApplyDpi(UINT dpi);
    // A window at another DPI: WM_DPICHANGED, or a new DPI found where the
    // system sends none. suggested is the system's rectangle, if any.
    virtual void OnDpiChanged(UINT dpi, const RECT* suggested) = 0;
    // Shown: the window's DPI checked, its pictures' size made right.
    void AfterShow();

    App& app_;
    IBarHost& host_;
    BarKind kind_;
    UINT dpi_ = 96;

private:
    // Where a drop at a point lands: a toolbar and a place on it (-1: the
    // end), reached through a tab when `tab` is set.
    struct DropPlace {
        int32_t toolbar = -1;
        int32_t position = -1;
        int32_t tab = 0;
    };
    DropPlace PlaceAt(POINT screen) const;
    DropPlace PlaceOnBarAt(POINT screen) const;
    void ShowDropPlace(const DropPlace& place);
    void RunPendingDrops();
    void RegisterDropTarget();
    DWORD DragOver(POINT screen, const DragPayload& payload, DWORD allowed) override;
    void DragLeave() override;
    DWORD Drop(POINT screen, const DragPayload& payload, DWORD allowed) override;

    // IFindView
    void SelectButton(const FoundButton& found) override;
    void ShowFindText(const std::string& text, bool matched) override;

    bool OnKeyDown(WPARAM key);
    bool OnChar(WPARAM unit);
    void SwitchSection(int step);
    void MoveButtonFocus(int step);
    // The keyboard on the button at a position of the shown section, which
    // comes into view when it did not fit.
    void FocusButton(int32_t toolbarIndex, int position);
    void LaunchFocusedButton(bool elevated);
    // Down on a folder's button opens its menu; false for any other button.
    bool OpenFocusedFolderMenu();
    // Enter, Space or Down on the chevron open its menu.
    bool PressFocusedChevron();
    int32_t VisibleToolbar() const;
    void PlaceFindBox();

    BarImageLists lists_;
    std::unique_ptr<BarContent> content_;
    // The window as a view of the bar's model, attached while it exists.
    std::unique_ptr<BarWindowView> view_;
    std::unique_ptr<DropRegistration> dropTarget_;
    // Drops wait for the drag to end: the source is not held up by the
    // bar's work, nor by a message it shows.
    std::vector<std::pair<DropPlace, DragPayload>> pendingDrops_;
    int32_t hoverTab_ = 0;  // the tab a drag rests on, shown after a moment
    std::unique_ptr<FindBox> findBox_;
    std::unique_ptr<TypeToFind> find_;
    wchar_t highSurrogate_ = 0;  // the first half of a typed character
};

}  // namespace lark::win
