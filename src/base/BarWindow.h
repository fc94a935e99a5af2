#pragma once
// The content both bar windows carry: a tab strip with one tab per section
// and an array of toolbars, one per section, found by their tags. Tab
// positions count from 1, toolbar indices from 0.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lark {

// Target and arguments of a program button; empty arguments mean none.
struct ButtonTag {
    std::string target;
    std::string arguments;
};

enum class ImageListSize { Small, Large };  // 16 and 32 pixels at 96 DPI

class ITabStrip {
public:
    virtual ~ITabStrip() = default;
    virtual void ClearTabs() = 0;
    // Appends a tab with this caption and name.
    virtual void AddTab(const std::string& caption, int16_t image, int32_t tag, const std::string& name) = 0;
    // Puts a tab before the one at a position; raises 35600 for a position
    // that has no tab.
    virtual void InsertTab(int32_t position, const std::string& caption, const std::string& name) = 0;
    // Raises 35600 (index out of bounds) for a position that has no tab.
    virtual void RemoveTab(int32_t position) = 0;
    virtual std::string TabKey(int32_t position) const = 0;
    virtual int32_t TabCount() const = 0;
    // 0 when no tab is selected.
    virtual int32_t CurrentTab() const = 0;
    virtual void SelectTab(int32_t position) = 0;
    // Raises 35600 for a position that has no tab.
    virtual void RenameTab(int32_t position, const std::string& caption, const std::string& name) = 0;
};

class IBarWindow {
public:
    virtual ~IBarWindow() = default;

    virtual ITabStrip& TabControl1() = 0;

    // Toolbar1: indices of the elements that exist, ascending. Element 0
    // exists from the window's load on.
    virtual std::vector<int32_t> ToolbarIndices() const = 0;
    virtual bool HasToolbar(int32_t index) const = 0;
    // Raises 360 when the element exists already.
    virtual void CreateToolbar(int32_t index) = 0;
    // Raises 340 (no such element) when missing; element 0 cannot be discarded (362).
    virtual void DiscardToolbar(int32_t index) = 0;

    // The members below raise 340 for a missing element.
    virtual void ClearButtons(int32_t index) = 0;
    virtual void SetToolbarTag(int32_t index, const std::string& tag) = 0;
    virtual std::string ToolbarTag(int32_t index) const = 0;
    virtual void BindImageList(int32_t index, ImageListSize size) = 0;
    virtual void SetToolbarVisible(int32_t index, bool visible) = 0;
    virtual bool ToolbarVisible(int32_t index) const = 0;
    // Brings the element to the front of its siblings.
    virtual void BringToolbarToFront(int32_t index) = 0;

    // Raises 35602 when the key is on the toolbar already.
    virtual void AddButton(int32_t index, const std::string& key, const std::string& imageKey) = 0;
    // Raise 35601 (element not found) for a missing key.
    virtual void RemoveButton(int32_t index, const std::string& key) = 0;
    virtual void SetButtonTag(int32_t index, const std::string& key, const ButtonTag& tag) = 0;
    virtual void SetButtonToolTip(int32_t index, const std::string& key, const std::string& text) = 0;
    virtual ButtonTag GetButtonTag(int32_t index, const std::string& key) const = 0;
    virtual std::string GetButtonToolTip(int32_t index, const std::string& key) const = 0;
    virtual std::string GetButtonImage(int32_t index, const std::string& key) const = 0;
    // Keys in display order.
    virtual std::vector<std::string> ButtonKeys(int32_t index) const = 0;

    // Pictures have arrived: every button of every toolbar whose picture key
    // is a key of `shown` takes the mapped key (itself, or a fallback) and
    // shows its picture now.
    virtual void ResolvePictures(const std::map<std::string, std::string>& shown) = 0;
    // Moves the button to a 0-based place in display order (the end when
    // past it); raises 35601 for a missing key.
    virtual void MoveButton(int32_t index, const std::string& key, int32_t position) = 0;
};

}  // namespace lark
