#pragma once
// TabControl: the tab strip of a bar window, a subclassed SysTabControl32.
// Each tab carries a caption and a name; positions count from 1. Mouse
// notifications report twips relative to the strip.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/BarWindow.h"
#include "base/win32/Handles.h"

namespace lark::win {

// Mouse arguments as the bar's handlers take them.
struct MouseArgs {
    int16_t button = 0;  // 1 left, 2 right, 4 middle; held buttons combined on moves
    int16_t shift = 0;   // 1 Shift, 2 Ctrl, 4 Alt
    int32_t x = 0;       // twips from the control's left
    int32_t y = 0;       // twips from the control's top
};

// The arguments of a client-area mouse message (WM_xBUTTONDOWN/UP, WM_MOUSEMOVE).
MouseArgs MouseArgsFrom(UINT message, WPARAM wParam, LPARAM lParam, TwipScale scale);

class ITabStripEvents {
public:
    virtual ~ITabStripEvents() = default;
    virtual void OnTabSelected(int32_t position) { (void)position; }
    virtual void OnTabMouseDown(const MouseArgs& args) { (void)args; }
    virtual void OnTabMouseUp(const MouseArgs& args) { (void)args; }
    virtual void OnTabMouseMove(const MouseArgs& args) { (void)args; }
    // The second move notification: once each time the mouse enters the
    // strip, just before that move's OnTabMouseMove.
    virtual void OnTabMouseEnter(const MouseArgs& args) { (void)args; }
    // A context-menu request from the keyboard (Shift+F10, the menu key). A
    // right click is reported only as OnTabMouseUp with button 2, so a
    // window that answers both does not open its menu twice.
    virtual void OnTabContextClick() {}
};

class TabControl : public ITabStrip {
public:
    TabControl(HWND parent, int controlId, TwipScale scale, ITabStripEvents& events);
    ~TabControl() override;
    TabControl(const TabControl&) = delete;
    TabControl& operator=(const TabControl&) = delete;

    // The first tab added to an empty strip becomes the selected one. None
    // of these notify the listener, except that removing the selected tab
    // selects the tab that takes its place (or the new last one) and reports
    // it as selected, so the shown section follows.
    void ClearTabs() override;
    // image and tag select nothing: the strip shows captions only.
    void AddTab(const std::string& caption, int16_t image, int32_t tag, const std::string& name) override;
    void InsertTab(int32_t position, const std::string& caption, const std::string& name) override;
    void RemoveTab(int32_t position) override;
    std::string TabKey(int32_t position) const override;
    int32_t TabCount() const override;
    int32_t CurrentTab() const override;
    // Reports the tab as selected when the selection changes.
    void SelectTab(int32_t position) override;
    void RenameTab(int32_t position, const std::string& caption, const std::string& name) override;

    std::string TabCaption(int32_t position) const;
    // The tab at a point of the strip (pixels), 0 for none.
    int32_t TabAt(int x, int y) const;
    // Marks one tab as a drag's target (0: none).
    void HighlightTab(int32_t position);
    HWND Handle() const { return hwnd_.get(); }

    // The display area below the tabs, in the parent's client coordinates.
    RECT ClientRectPx() const;
    // The same in twips.
    int32_t ClientLeft() const;
    int32_t ClientTop() const;
    int32_t ClientWidth() const;
    int32_t ClientHeight() const;

    // In twips, relative to the parent's client area.
    void Move(int32_t left, int32_t top, int32_t width, int32_t height);
    void MovePx(int left, int top, int width, int height);

    // The parent's WM_NOTIFY from this strip; true when it was handled.
    bool HandleNotify(const NMHDR* header, LRESULT& result);

    // The message font of this DPI; the row of tabs takes its height.
    void SetDpi(UINT dpi);

    // A column (a bar docked at the left or right edge) shows the sections
    // as a list of its own drawing, names readable across, above the page.
    void SetColumn(bool column);
    bool Column() const { return column_; }
    // Called when the page moves: the list grew or shrank.
    void OnPageMoved(std::function<void()> moved) { pageMoved_ = std::move(moved); }

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self) noexcept;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CheckPosition(int32_t position) const;
    bool OnScreen() const { return IsWindowVisible(hwnd_.get()) != FALSE; }
    // Hands the tabs to the control if it does not hold them yet.
    void SyncTabs();
    void InsertNative(size_t index, const std::string& caption);
    // The column's list: rows shown, the first of them (0-based), its
    // height, and the paint.
    int ColumnRows() const;
    int ColumnFirst() const;
    int ColumnHeight() const;
    // A row of the list shown (0-based), in client pixels.
    RECT ColumnRowRect(int row) const;
    // TCM_GETITEMRECT in a column: the tab's drawn row, where assistive
    // technology looks for it; false for a tab scrolled out of the list.
    bool ColumnItemRect(int index, RECT& r) const;
    void ColumnChanged();
    void PaintColumn(HDC target);

    TwipScale scale_;
    ITabStripEvents& events_;
    UniqueFont font_;
    UniqueWindow hwnd_;
    // Tabs by position - 1. While the strip is not on screen they live here
    // only: the control measures every caption again at each insertion, and
    // a catalogue of hundreds of sections would pay that for a window
    // nobody sees (the docked bar until it docks).
    std::vector<std::string> names_;
    std::vector<std::string> captions_;
    int32_t selected_ = 0;  // while not synced
    int32_t highlighted_ = 0;
    bool synced_ = true;
    bool mouseInside_ = false;
    bool column_ = false;
    UINT dpi_ = 96;
    int rowHeight_ = 20;       // of the column's list, in pixels
    mutable int columnFirst_ = 0;  // the list's first row shown
    int pageTop_ = -1;         // the column's page as last told
    std::function<void()> pageMoved_;
};

}  // namespace lark::win
