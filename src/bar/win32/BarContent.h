#pragma once
// What one bar window carries: the tab strip TabControl1 and the toolbar
// array Toolbar1, as child windows of the bar window. The bar window routes
// its WM_NOTIFY and WM_COMMAND here and calls Layout when it is resized.
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bar/win32/TabControl.h"
#include "bar/win32/Toolbar.h"
#include "base/BarWindow.h"

namespace lark::win {

class KeyedImageList;

// Every notification of the tab strip and of the toolbars.
class IBarContentEvents : public ITabStripEvents, public IToolbarEvents {};

class BarContent : public IBarWindow {
public:
    // The image lists (16 and 32 pixels) and the listener must outlive the
    // content. Toolbar1(0) exists from here on, visible, without pictures.
    BarContent(HWND parent, const KeyedImageList& smallIcons, const KeyedImageList& largeIcons, TwipScale scale,
               IBarContentEvents& events);
    ~BarContent() override;
    BarContent(const BarContent&) = delete;
    BarContent& operator=(const BarContent&) = delete;

    ITabStrip& TabControl1() override { return tabs_; }
    // The whole component: client area and move in twips, captions.
    TabControl& Tabs() { return tabs_; }
    const TabControl& Tabs() const { return tabs_; }

    std::vector<int32_t> ToolbarIndices() const override;
    bool HasToolbar(int32_t index) const override;
    // The new element is hidden, placed on the tab page and bound to the
    // image list of the lowest-indexed element.
    void CreateToolbar(int32_t index) override;
    void DiscardToolbar(int32_t index) override;

    void ClearButtons(int32_t index) override;
    void SetToolbarTag(int32_t index, const std::string& tag) override;
    std::string ToolbarTag(int32_t index) const override;
    void BindImageList(int32_t index, ImageListSize size) override;
    void SetToolbarVisible(int32_t index, bool visible) override;
    bool ToolbarVisible(int32_t index) const override;
    void BringToolbarToFront(int32_t index) override;

    void AddButton(int32_t index, const std::string& key, const std::string& imageKey) override;
    void RemoveButton(int32_t index, const std::string& key) override;
    void SetButtonTag(int32_t index, const std::string& key, const ButtonTag& tag) override;
    void SetButtonToolTip(int32_t index, const std::string& key, const std::string& text) override;
    ButtonTag GetButtonTag(int32_t index, const std::string& key) const override;
    std::string GetButtonToolTip(int32_t index, const std::string& key) const override;
    std::string GetButtonImage(int32_t index, const std::string& key) const override;
    std::vector<std::string> ButtonKeys(int32_t index) const override;
    void ResolvePictures(const std::map<std::string, std::string>& shown) override;
    void MoveButton(int32_t index, const std::string& key, int32_t position) override;

    // The tab strip fills the parent's client area; every toolbar sits at
    // the top left of the tab page, as wide as the page, with room for the
    // rows the window gives it.
    void Layout();
    void SetRows(int32_t rows);
    int32_t Rows() const { return rows_; }
    // A column: the sections as a list above the page, the buttons one
    // below the other in as many rows as the page holds.
    void SetColumn(bool column);
    bool Column() const { return column_; }

    // The parent window is now at this DPI: the tab strip's font and the
    // toolbars' metrics follow, then the layout.
    void SetDpi(UINT dpi);
    // The image lists' pictures changed size.
    void RefreshPictures();
    // Which buttons open as menus may have changed: their drop arrows follow.
    void RefreshDropArrows();

    // For the parent's WM_NOTIFY and WM_COMMAND; true when handled here.
    bool HandleNotify(const NMHDR* header, LRESULT& result);
    bool HandleCommand(WPARAM wParam, LPARAM lParam);

    HWND TabStripHandle() const { return tabs_.Handle(); }
    // These raise 340 for a missing element.
    HWND ToolbarHandle(int32_t index) const;
    Toolbar& ToolbarAt(int32_t index);
    const Toolbar& ToolbarAt(int32_t index) const;
    // The toolbar on screen, -1 when none is.
    int32_t ShownToolbar() const;

private:
    void AddToolbar(int32_t index);
    void PlaceOnTabPage(Toolbar& toolbar) const;

    HWND parent_;
    const KeyedImageList& smallIcons_;
    const KeyedImageList& largeIcons_;
    TwipScale scale_;
    IBarContentEvents& events_;
    TabControl tabs_;
    std::map<int32_t, std::unique_ptr<Toolbar>> toolbars_;
    int32_t rows_ = 1;
    bool column_ = false;
};

}  // namespace lark::win
