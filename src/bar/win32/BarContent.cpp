#include "bar/win32/BarContent.h"

#include <commctrl.h>

#include <algorithm>

#include "base/RuntimeError.h"
#include "base/win32/KeyedImageList.h"

namespace lark::win {
namespace {

constexpr int kTabStripId = 1;
constexpr int kFirstToolbarId = 1000;

}  // namespace

BarContent::BarContent(HWND parent, const KeyedImageList& smallIcons, const KeyedImageList& largeIcons,
                       TwipScale scale, IBarContentEvents& events)
    : parent_(parent),
      smallIcons_(smallIcons),
      largeIcons_(largeIcons),
      scale_(scale),
      events_(events),
      tabs_(parent, kTabStripId, scale, events) {
    AddToolbar(0);
    toolbars_.at(0)->SetVisible(true);
    Layout();
    tabs_.OnPageMoved([this] {
        for (auto& entry : toolbars_) PlaceOnTabPage(*entry.second);
    });
}

BarContent::~BarContent() = default;

std::vector<int32_t> BarContent::ToolbarIndices() const {
    std::vector<int32_t> indices;
    indices.reserve(toolbars_.size());
    for (const auto& entry : toolbars_) indices.push_back(entry.first);
    return indices;
}

bool BarContent::HasToolbar(int32_t index) const { return toolbars_.count(index) != 0; }

void BarContent::CreateToolbar(int32_t index) {
    if (index < 0) Raise(kErrNoSuchControl);
    if (HasToolbar(index)) Raise(kErrAlreadyLoaded);
    // A new element takes its settings from the lowest-indexed one.
    const KeyedImageList* list = toolbars_.empty() ? nullptr : toolbars_.begin()->second->BoundImageList();
    AddToolbar(index);
    Toolbar& toolbar = *toolbars_.at(index);
    toolbar.SetColumn(column_);
    if (list) toolbar.BindImageList(list);
    PlaceOnTabPage(toolbar);
}

void BarContent::DiscardToolbar(int32_t index) {
    ToolbarAt(index);
    // Element 0 is the window's own, the one every other is made from.
    if (index == 0) Raise(kErrCantUnloadElement);
    toolbars_.erase(index);
}

void BarContent::ClearButtons(int32_t index) { ToolbarAt(index).ClearButtons(); }

void BarContent::SetToolbarTag(int32_t index, const std::string& tag) { ToolbarAt(index).SetTag(tag); }

std::string BarContent::ToolbarTag(int32_t index) const { return ToolbarAt(index).Tag(); }

void BarContent::BindImageList(int32_t index, ImageListSize size) {
    Toolbar& toolbar = ToolbarAt(index);
    toolbar.BindImageList(size == ImageListSize::Small ? &smallIcons_ : &largeIcons_);
}

void BarContent::SetToolbarVisible(int32_t index, bool visible) { ToolbarAt(index).SetVisible(visible); }

bool BarContent::ToolbarVisible(int32_t index) const { return ToolbarAt(index).Visible(); }

void BarContent::BringToolbarToFront(int32_t index) { ToolbarAt(index).BringToFront(); }

void BarContent::AddButton(int32_t index, const std::string& key, const std::string& imageKey) {
    ToolbarAt(index).AddButton(key, imageKey);
}

void BarContent::RemoveButton(int32_t index, const std::string& key) { ToolbarAt(index).RemoveButton(key); }

void BarContent::SetButtonTag(int32_t index, const std::string& key, const ButtonTag& tag) {
    ToolbarAt(index).SetButtonTag(key, tag);
}

void BarContent::SetButtonToolTip(int32_t index, const std::string& key, const std::string& text) {
    ToolbarAt(index).SetButtonToolTip(key, text);
}

ButtonTag BarContent::GetButtonTag(int32_t index, const std::string& key) const {
    return ToolbarAt(index).GetButtonTag(key);
}

std::string BarContent::GetButtonToolTip(int32_t index, const std::string& key) const {
    return ToolbarAt(index).GetButtonToolTip(key);
}

std::string BarContent::GetButtonImage(int32_t index, const std::string& key) const {
    return ToolbarAt(index).GetButtonImage(key);
}

std::vector<std::string> BarContent::ButtonKeys(int32_t index) const { return ToolbarAt(index).ButtonKeys(); }

void BarContent::ResolvePictures(const std::map<std::string, std::string>& shown) {
    for (auto& [index, toolbar] : toolbars_) toolbar->ResolvePictures(shown);
}

void BarContent::MoveButton(int32_t index, const std::string& key, int32_t position) {
    ToolbarAt(index).MoveButton(key, position);
}

int32_t BarContent::ShownToolbar() const {
    for (const auto& entry : toolbars_)
        if (entry.second->Visible()) return entry.first;
    return -1;
}

void BarContent::Layout() {
    RECT client{};
    GetClientRect(parent_, &client);
    tabs_.MovePx(0, 0, client.right - client.left, client.bottom - client.top);
    for (auto& entry : toolbars_) PlaceOnTabPage(*entry.second);
}

void BarContent::SetRows(int32_t rows) {
    rows = std::max(rows, 1);
    if (rows == rows_) return;
    rows_ = rows;
    Layout();
}

void BarContent::SetColumn(bool column) {
    if (column == column_) return;
    column_ = column;
    tabs_.SetColumn(column);
    for (auto& entry : toolbars_) entry.second->SetColumn(column);
    Layout();
}

void BarContent::SetDpi(UINT dpi) {
    tabs_.SetDpi(dpi);
    for (auto& entry : toolbars_) Guard([&] { entry.second->SetDpi(dpi); });
    Layout();
}

void BarContent::RefreshDropArrows() {
    for (auto& entry : toolbars_) Guard([&] { entry.second->RefreshDropArrows(); });
}

void BarContent::RefreshPictures() {
    for (auto& entry : toolbars_) Guard([&] { entry.second->Refit(); });
    Layout();
}

bool BarContent::HandleNotify(const NMHDR* header, LRESULT& result) {
    if (!header) return false;
    if (tabs_.HandleNotify(header, result)) return true;
    if (header->code == TBN_DROPDOWN) {
        for (const auto& entry : toolbars_) {
            if (entry.second->HandleDropDown(reinterpret_cast<const NMTOOLBARW*>(header))) {
                result = TBDDRET_DEFAULT;
                return true;
            }
        }
    }
    if (header->code == NM_CUSTOMDRAW) {
        auto* draw = reinterpret_cast<NMTBCUSTOMDRAW*>(const_cast<NMHDR*>(header));
        for (const auto& entry : toolbars_)
            if (entry.second->CustomDraw(draw, result)) return true;
        return false;
    }
    if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(header));
        for (const auto& entry : toolbars_) {
            if (entry.second->AnswerToolTip(info)) {
                result = 0;
                return true;
            }
        }
    }
    return false;
}

bool BarContent::HandleCommand(WPARAM wParam, LPARAM lParam) {
    // The click's listener may discard toolbars: stop at the first taker.
    for (const auto& entry : toolbars_)
        if (entry.second->HandleCommand(wParam, lParam)) return true;
    return false;
}

HWND BarContent::ToolbarHandle(int32_t index) const { return ToolbarAt(index).Handle(); }

Toolbar& BarContent::ToolbarAt(int32_t index) {
    auto it = toolbars_.find(index);
    if (it == toolbars_.end()) Raise(kErrNoSuchControl);
    return *it->second;
}

const Toolbar& BarContent::ToolbarAt(int32_t index) const { return const_cast<BarContent*>(this)->ToolbarAt(index); }

void BarContent::AddToolbar(int32_t index) {
    auto toolbar = std::make_unique<Toolbar>(parent_, index, kFirstToolbarId + index, scale_, events_);
    toolbars_.emplace(index, std::move(toolbar));
}

void BarContent::PlaceOnTabPage(Toolbar& toolbar) const {
    const RECT page = tabs_.ClientRectPx();
    if (column_) {
        // The buttons in the middle of the column, the rows it has room for.
        const int width = page.right - page.left;
        const int inset = std::max((width - toolbar.ButtonWidthPx()) / 2, 0);
        toolbar.Place(page.left + inset, page.top, width - inset, toolbar.RowsIn(page.bottom - page.top));
        return;
    }
    toolbar.Place(page.left, page.top, page.right - page.left, rows_);
}

}  // namespace lark::win
