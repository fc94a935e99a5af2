#include "base/BarWindowView.h"

#include "base/BarInput.h"
#include "base/RuntimeError.h"

namespace lark {

void BarWindowView::Cleared() {
    window_.ClearButtons(0);
    window_.TabControl1().ClearTabs();
    UnloadExtraToolbars(window_);
}

void BarWindowView::SectionInserted(int32_t position, const BarSection& section) {
    ITabStrip& tabs = window_.TabControl1();
    if (position > tabs.TabCount()) {
        tabs.AddTab(section.name, -1, -1, section.name);
    } else {
        tabs.InsertTab(position, section.name, section.name);
    }
    const int32_t toolbar = section.toolbar;
    // Element 0 is the window's own; any other is made for the section (a
    // leftover of the same index serves as well).
    if (toolbar > 0) Guard([&] { window_.CreateToolbar(toolbar); });
    Guard([&] { window_.ClearButtons(toolbar); });
    window_.SetToolbarTag(toolbar, section.name);
    if (size_) window_.BindImageList(toolbar, *size_);
    for (size_t i = 0; i < section.buttons.size(); ++i) PlaceButton(section, i);
}

void BarWindowView::SectionRemoved(int32_t position, const BarSection& section) {
    // Element 0 cannot go; emptied and untagged it can serve a later
    // section without old buttons.
    if (section.toolbar == 0) {
        Guard([&] { window_.ClearButtons(0); });
        Guard([&] { window_.SetToolbarTag(0, ""); });
        Guard([&] { window_.SetToolbarVisible(0, false); });
    } else {
        Guard([&] { window_.DiscardToolbar(section.toolbar); });
    }
    Guard([&] { window_.TabControl1().RemoveTab(position); });
}

void BarWindowView::SectionRenamed(int32_t position, const BarSection& section) {
    window_.TabControl1().RenameTab(position, section.name, section.name);
    window_.SetToolbarTag(section.toolbar, section.name);
}

void BarWindowView::SectionMoved(int32_t from, int32_t to, const BarSection& section) {
    ITabStrip& tabs = window_.TabControl1();
    tabs.RemoveTab(from);
    if (to > tabs.TabCount()) {
        tabs.AddTab(section.name, -1, -1, section.name);
    } else {
        tabs.InsertTab(to, section.name, section.name);
    }
}

void BarWindowView::PlaceButton(const BarSection& section, size_t position) {
    const BarButton& button = section.buttons[position];
    window_.AddButton(section.toolbar, button.key, button.picture);
    window_.SetButtonTag(section.toolbar, button.key, button.Tag());
    window_.SetButtonToolTip(section.toolbar, button.key, button.name);
    // Added at the end: moved only when its place is elsewhere.
    if (position + 1 < section.buttons.size())
        window_.MoveButton(section.toolbar, button.key, static_cast<int32_t>(position));
}

void BarWindowView::ButtonInserted(const BarSection& section, size_t position) { PlaceButton(section, position); }

void BarWindowView::ButtonRemoved(const BarSection& section, const BarButton& button) {
    window_.RemoveButton(section.toolbar, button.key);
}

void BarWindowView::ButtonMoved(const BarSection& section, const std::string& key, size_t position) {
    window_.MoveButton(section.toolbar, key, static_cast<int32_t>(position));
}

void BarWindowView::ButtonReplaced(const BarSection& section, const std::string& oldKey, size_t position) {
    // Made again in its place: a toolbar button takes a new picture or key
    // only so.
    window_.RemoveButton(section.toolbar, oldKey);
    const BarButton& button = section.buttons[position];
    window_.AddButton(section.toolbar, button.key, button.picture);
    window_.SetButtonTag(section.toolbar, button.key, button.Tag());
    window_.SetButtonToolTip(section.toolbar, button.key, button.name);
    window_.MoveButton(section.toolbar, button.key, static_cast<int32_t>(position));
}

void BarWindowView::SectionShown(int32_t position, int32_t toolbar) {
    ITabStrip& tabs = window_.TabControl1();
    if (position > 0 && tabs.CurrentTab() != position) Guard([&] { tabs.SelectTab(position); });
    for (int32_t index : window_.ToolbarIndices()) {
        const bool shown = index == toolbar;
        Guard([&] {
            window_.SetToolbarVisible(index, shown);
            if (shown) window_.BringToolbarToFront(index);
        });
    }
}

void BarWindowView::PicturesResolved(const std::map<std::string, std::string>& shown) {
    window_.ResolvePictures(shown);
}

void BarWindowView::ImageSizeChosen(ImageListSize size) {
    size_ = size;
    for (int32_t index : window_.ToolbarIndices()) Guard([&] { window_.BindImageList(index, size); });
}

}  // namespace lark
