#pragma once
// One element of a bar window's toolbar array: a ToolbarWindow32 of
// picture-only program buttons. Each button has a key (unique on the
// toolbar), a picture key resolved against the bound keyed image list, a
// tooltip text and a tag with the target and its arguments.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bar/ButtonRows.h"
#include "bar/win32/TabControl.h"
#include "base/BarWindow.h"
#include "base/Palette.h"
#include "base/win32/Handles.h"

namespace lark::win {

class KeyedImageList;

class IToolbarEvents {
public:
    virtual ~IToolbarEvents() = default;
    virtual void OnButtonClick(int32_t toolbarIndex, const std::string& key) {
        (void)toolbarIndex;
        (void)key;
    }
    virtual void OnToolbarMouseUp(int32_t toolbarIndex, const MouseArgs& args) {
        (void)toolbarIndex;
        (void)args;
    }
    virtual void OnToolbarMouseMove(int32_t toolbarIndex, const MouseArgs& args) {
        (void)toolbarIndex;
        (void)args;
    }
    // The left button pressed on a button went beyond the system's drag
    // distance: a drag of that button begins, and no click follows.
    virtual void OnButtonDrag(int32_t toolbarIndex, const std::string& key) {
        (void)toolbarIndex;
        (void)key;
    }
    // Whether a button opening this opens a menu from a drop arrow too.
    virtual bool OpensAsMenu(const ButtonTag& tag) {
        (void)tag;
        return false;
    }
    // The drop arrow of such a button, at its rectangle on the screen.
    virtual void OnButtonDropDown(int32_t toolbarIndex, const std::string& key, const RECT& screen) {
        (void)toolbarIndex;
        (void)key;
        (void)screen;
    }
    // The chevron was pressed; its rectangle in screen pixels.
    virtual void OnChevron(int32_t toolbarIndex, const RECT& chevron) {
        (void)toolbarIndex;
        (void)chevron;
    }
};

class Toolbar {
public:
    // Hidden, with room for 16-pixel pictures until a list is bound. The
    // control itself is made when first shown or asked for: a catalogue of
    // hundreds of sections then creates only the toolbars someone looks at.
    Toolbar(HWND parent, int32_t index, int controlId, TwipScale scale, IToolbarEvents& events);
    ~Toolbar();
    Toolbar(const Toolbar&) = delete;
    Toolbar& operator=(const Toolbar&) = delete;

    int32_t Index() const { return index_; }
    HWND Handle() const { return EnsureWindow(); }
    HWND ToolTipHandle() const;

    // Raises 35602 when the key is on this toolbar already.
    void AddButton(const std::string& key, const std::string& imageKey);
    // The members taking a key raise 35601 when no button has it.
    void RemoveButton(const std::string& key);
    void ClearButtons();
    std::vector<std::string> ButtonKeys() const;  // in display order
    // To a 0-based place in display order (the end when past it).
    void MoveButton(const std::string& key, int32_t position);
    void SetButtonTag(const std::string& key, const ButtonTag& tag);
    ButtonTag GetButtonTag(const std::string& key) const;
    void SetButtonToolTip(const std::string& key, const std::string& text);
    std::string GetButtonToolTip(const std::string& key) const;
    std::string GetButtonImage(const std::string& key) const;

    void SetTag(const std::string& tag) { tag_ = tag; }
    const std::string& Tag() const { return tag_; }

    // Shows the list's pictures (null: none) and sizes the buttons to fit
    // them. Every button's picture key is looked up again; a key the list
    // does not hold shows no picture. The list must outlive the binding.
    void BindImageList(const KeyedImageList* list);
    // Buttons whose picture key `shown` maps take the mapped key and are
    // drawn with its picture (a key the list now holds).
    void ResolvePictures(const std::map<std::string, std::string>& shown);
    const KeyedImageList* BoundImageList() const { return list_; }

    // A toolbar that is not on screen keeps its buttons in memory only;
    // they reach the control in one batch when it is shown or painted.
    void SetVisible(bool visible);
    bool Visible() const;
    void BringToFront();

    // The height of its rows of room.
    int HeightPx() const;

    // Room around the pictures for this DPI.
    void SetDpi(UINT dpi);
    // The bound list's pictures changed size: the buttons are made again to
    // fit them.
    void Refit();
    // Places the toolbar in its parent's client area with room for whole
    // rows of buttons, at its own height.
    void Place(int left, int top, int width, int32_t rows = 1);
    // In a column the buttons stand one below the other, whatever the width.
    void SetColumn(bool column);
    // A button's width, and the whole rows a height has room for.
    int ButtonWidthPx() const { return Metrics().buttonWidth; }
    int32_t RowsIn(int heightPx) const;

    // Which buttons show; the others wait behind the chevron.
    const ButtonRows& Rows() const { return fit_; }
    // The keys of the buttons not shown, in display order.
    std::vector<std::string> HiddenKeys() const;
    // Moves the buttons shown along the section so that the button at a
    // position is one of them.
    void ShowButton(size_t position);
    // The chevron in client pixels; none while every button shows.
    std::optional<RECT> ChevronRect() const;
    // A rectangle of this control in screen coordinates.
    RECT OnScreen(RECT r) const;
    // The id of the tooltip's tool that names the chevron; button ids stay in 16 bits.
    static constexpr UINT_PTR kChevronTool = 0x10000;
    // Drawn pressed while its menu is open.
    void SetChevronPressed(bool pressed);
    // The keyboard on the chevron, one more stop after the last button:
    // drawn hot with a focus rectangle while no button is hot.
    void FocusChevron(bool on);
    bool ChevronFocused() const { return chevronFocused_ && fit_.chevron; }
    // Opens the chevron's menu as a click does; false while there is none.
    // Nothing of the toolbar is read after the menu.
    bool PressChevron();

    // The key of the button at a point of the toolbar (pixels), empty for none.
    std::string ButtonKeyAt(int x, int y) const;
    // Where a drop at a point of the toolbar (pixels) goes: in the row at
    // that height, before the button whose middle lies right of it, else
    // after the row (in a column, before the button whose middle lies
    // below it); on the chevron, at the end of the section.
    int32_t DropPositionAt(int x, int y) const;
    // Shows the drop mark before the button at a position (the end for the
    // button count), or none for -1.
    void SetInsertMark(int32_t position);
    int32_t InsertMark() const { return insertMark_; }

    // The parent's WM_COMMAND; true when it came from this toolbar.
    bool HandleCommand(WPARAM wParam, LPARAM lParam);
    // TTN_GETDISPINFOW from this toolbar's tooltip; true when answered.
    bool AnswerToolTip(NMTTDISPINFOW* info) const;
    // TBN_DROPDOWN from this toolbar; true when it was its.
    bool HandleDropDown(const NMTOOLBARW* notice);
    // Buttons that open as menus get their drop arrow, the others lose it.
    void RefreshDropArrows();
    // Whether the button shows a drop arrow.
    bool HasDropArrow(const std::string& key) const;
    // NM_CUSTOMDRAW from this toolbar: the buttons' hot and pressed states
    // in the colours in use; true when answered.
    bool CustomDraw(NMTBCUSTOMDRAW* draw, LRESULT& result) const;

private:
    struct Button {
        std::string key;
        std::string imageKey;
        std::string toolTip;
        std::wstring toolTipWide;  // what the tooltip is handed
        ButtonTag tag;
        int id = 0;
        bool dropDown = false;  // as handed to the control
        BYTE state = TBSTATE_ENABLED;  // as the control holds it: hidden, a row's end
    };

    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self) noexcept;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    Button* Find(const std::string& key);
    const Button* Find(const std::string& key) const;
    Button& Must(const std::string& key);
    const Button& Must(const std::string& key) const;
    int ResolveImage(const std::string& imageKey) const;
    int NextCommandId();
    void FitButtons();
    HWND EnsureWindow() const;
    bool OnScreen() const { return hwnd_ && IsWindowVisible(hwnd_.get()); }
    TBBUTTON NativeButton(const Button& button, size_t position) const;
    BYTE StyleOf(const Button& button) const;
    bool RestyleButton(Button& button);  // whether its arrow came or went
    // Hands every button to the control if it does not hold them yet.
    void SyncButtons();
    void Reindex();
    void DrawInsertMark() const;
    // The rows: which buttons fit, told to the control as hidden states and
    // line breaks.
    ToolbarMetrics Metrics() const;
    // Each button's width in a row: a split button is wider by its arrow.
    std::vector<int32_t> ButtonWidths(const ToolbarMetrics& metrics) const;
    ButtonRows FitFor(size_t count) const;
    // A column holds one button a row; the chevron takes a row of its own.
    int32_t RowWidth(const ToolbarMetrics& metrics) const;
    BYTE StateAt(size_t position) const;
    void Relayout();
    // The chevron's tool on the tooltip follows the chevron, or goes with it.
    void NameChevron();
    // Assistive technology reads the chevron as a button after the toolbar's
    // own, and presses it there; true when the message was for that.
    bool AnswerAccessible(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    RECT ItemRect(size_t position) const;
    void DrawChevron() const;
    // Hot tracking of the chevron; for a press on it, its screen rectangle
    // (empty for the press that closed its menu).
    std::optional<RECT> TrackChevron(UINT message, LPARAM lParam);
    // Starts a button drag once the pressed mouse moved far enough.
    bool TrackDrag(UINT message, WPARAM wParam, LPARAM lParam);
    void DrawDropArrow(const NMTBCUSTOMDRAW& draw, const Palette& palette) const;

    HWND parent_;
    int controlId_;
    int32_t index_;
    TwipScale scale_;
    UINT dpi_;
    IToolbarEvents& events_;
    mutable UniqueWindow hwnd_;
    bool visible_ = false;
    RECT place_{0, 0, 0, 0};  // left, top, width and height as placed
    std::string tag_;
    const KeyedImageList* list_ = nullptr;
    std::vector<Button> buttons_;  // in display order
    std::unordered_map<std::string, size_t> byKey_;
    std::unordered_map<int, size_t> byId_;
    bool synced_ = true;  // the control holds exactly buttons_
    int lastId_ = 0;
    int32_t insertMark_ = -1;
    int32_t rows_ = 1;
    bool column_ = false;
    size_t first_ = 0;  // the first button shown, as the keyboard moved it
    ButtonRows fit_;
    mutable int dropArrowPx_ = 0;  // as the control last drew a split button's arrow
    bool chevronHot_ = false;
    bool chevronFocused_ = false;
    bool chevronPressed_ = false;
    bool chevronClosed_ = false;  // its menu closed, and no press came since
    DWORD chevronReleased_ = 0;   // when, in ticks
    std::string pressedKey_;  // the button under a left press that may become a drag
    POINT pressedAt_{0, 0};
};

}  // namespace lark::win
