#include "commands/PMenu.h"

#include "base/RuntimeError.h"

namespace lark {

int32_t PMenu::AddItem(const std::string& caption, const std::string& secondText, int32_t number1, int32_t number2,
                       int32_t image, bool checked, bool enabled, const std::string& key) {
    MenuItem item;
    item.caption = caption;
    item.secondText = secondText;
    item.number1 = number1;
    item.number2 = number2;
    item.image = showImages_ ? image : -1;
    item.checked = checked;
    item.enabled = enabled;
    item.key = key;
    items_.push_back(item);
    return ItemCount();
}

MenuItem& PMenu::At(int32_t position) {
    if (position < 1 || position > ItemCount()) Raise(kErrSubscript);
    return items_[static_cast<size_t>(position - 1)];
}

const MenuItem& PMenu::Item(int32_t position) const { return const_cast<PMenu*>(this)->At(position); }

void PMenu::SetHeader(int32_t position, bool header) { At(position).header = header; }
void PMenu::SetChecked(int32_t position, bool checked) { At(position).checked = checked; }
void PMenu::SetEnabled(int32_t position, bool enabled) { At(position).enabled = enabled; }
std::string PMenu::ItemKey(int32_t position) const { return Item(position).key; }

int32_t PMenu::ItemIndex(const std::string& key) const {
    if (key.empty()) return 0;
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].key == key) return static_cast<int32_t>(i + 1);
    return 0;
}

void PMenu::LoadMenu(const std::string& name) {
    auto it = saved_.find(name);
    if (it == saved_.end()) Raise(kErrInvalidCall);
    items_ = it->second;
}

int32_t PMenu::Popup(int32_t x, int32_t y) {
    const int32_t chosen = presenter_.Popup(items_, colours_, owner_, x, y);
    return chosen >= 1 && chosen <= ItemCount() ? chosen : 0;
}

}  // namespace lark
