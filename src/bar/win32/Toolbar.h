#pragma once
// One element of a bar window's toolbar array: a ToolbarWindow32 of
// picture-only program buttons. Each button has a key (unique on the
// toolbar), a picture key resolved against the bound keyed image list, a
// tooltip text and a tag with the target and its arguments.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "bar/win32/TabControl.h"
#include "base/BarWindow.h"
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

    // The height that fits one row of buttons.
    int HeightPx() const;

    // Room around the pictures for this DPI.
    void SetDpi(UINT dpi);
    // The bound list's pictures changed size: the buttons are made again to
    // fit them.
    void Refit();
    // Places the toolbar in its parent's client area at its own height.
    void Place(int left, int top, int width);

    // The key of the button at a point of the toolbar (pixels), empty for none.
    std::string ButtonKeyAt(int x, int y) const;
    // Where a drop at a point of the toolbar (pixels) goes: before the
    // button whose middle lies right of it, else at the end.
    int32_t DropPositionAt(int x, int y) const;
    // Shows the drop mark before the button at a position (the end for the
    // button count), or none for -1.
    void SetInsertMark(int32_t position);
    int32_t InsertMark() const { return insertMark_; }

    // The parent's WM_COMMAND; true when it came from this toolbar.
    bool HandleCommand(WPARAM wParam, LPARAM lParam);
    // TTN_GETDISPINFOW from this toolbar's tooltip; true when answered.
    bool AnswerToolTip(NMTTDISPINFOW* info) const;
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
    TBBUTTON NativeButton(const Button& button) const;
    // Hands every button to the control if it does not hold them yet.
    void SyncButtons();
    void Reindex();
    void DrawInsertMark() const;
    // Starts a button drag once the pressed mouse moved far enough.
    bool TrackDrag(UINT message, WPARAM wParam, LPARAM lParam);

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
    std::string pressedKey_;  // the button under a left press that may become a drag
    POINT pressedAt_{0, 0};
};

}  // namespace lark::win
