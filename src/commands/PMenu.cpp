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

namespace {

bool IsKeyLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }
char KeyOf(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The place of the caption's own access key, or npos.
size_t OwnKey(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return i + 1;
        ++i;  // "&&" is an ampersand
    }
    return std::string::npos;
}

// An item whose letters the others have all taken (Spanish "Salir" beside
// "Siempre visible", "Agregar", "Eliminar", "Opciones" and "Propiedades")
// takes one from an item that can move to another letter of its own, by the
// shortest chain of such moves; a moved item prefers a word's start again.
struct KeyMoves {
    const std::vector<MenuItem>& items;
    std::vector<size_t>& keys;
    std::string fixed;  // the captions' own keys, which never move
    int holder[128];    // the item that chose each letter, -1 for none

    void Assign(size_t item, size_t at) {
        if (keys[item] != std::string::npos) holder[static_cast<int>(KeyOf(items[item].caption[keys[item]]))] = -1;
        keys[item] = at;
        holder[static_cast<int>(KeyOf(items[item].caption[at]))] = static_cast<int>(item);
    }

    // Free letters first, word starts before the rest; then taken ones whose
    // holder moves on, in at most `depth` moves.
    bool Move(size_t item, size_t depth, std::string& seen) {
        const std::string& caption = items[item].caption;
        for (int pass = 0; pass < 4; ++pass) {
            const bool free = pass < 2;
            const bool wordStarts = pass % 2 == 0;
            if (!free && depth == 0) return false;
            for (size_t at = 0; at < caption.size(); ++at) {
                if (!IsKeyLetter(caption[at]) || (at == 0 || caption[at - 1] == ' ') != wordStarts) continue;
                const char key = KeyOf(caption[at]);
                const int other = holder[static_cast<int>(key)];
                if (fixed.find(key) != std::string::npos || seen.find(key) != std::string::npos ||
                    free != (other < 0) || other == static_cast<int>(item))
                    continue;
                if (!free) {
                    seen += key;
                    if (!Move(static_cast<size_t>(other), depth - 1, seen)) continue;
                }
                Assign(item, at);
                return true;
            }
        }
        return false;
    }
};

void GiveEveryItemAKey(const std::vector<MenuItem>& items, const std::string& taken, std::vector<size_t>& keys) {
    KeyMoves moves{items, keys, {}, {}};
    for (int& holder : moves.holder) holder = -1;
    for (size_t i = 0; i < items.size(); ++i)
        if (keys[i] != std::string::npos) moves.Assign(i, keys[i]);
    // A caption's own key may be any byte; those chosen here are letters and digits.
    for (const char key : taken)
        if (key < 0 || moves.holder[static_cast<int>(key)] < 0) moves.fixed += key;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].header || items[i].caption == "-" || keys[i] != std::string::npos ||
            items[i].caption.find('&') != std::string::npos)
            continue;
        for (size_t depth = 1; depth <= items.size(); ++depth) {
            std::string seen;
            if (moves.Move(i, depth, seen)) break;
        }
    }
}

}  // namespace

std::vector<std::string> MenuTexts(const std::vector<MenuItem>& items) {
    std::string taken;
    std::vector<size_t> keys(items.size(), std::string::npos);
    // A caption that holds "&" is written as a menu shows it already.
    auto chooses = [&](const MenuItem& item) {
        return !item.header && item.caption != "-" && item.caption.find('&') == std::string::npos;
    };
    for (const MenuItem& item : items) {
        const size_t own = OwnKey(item.caption);
        if (!item.header && own != std::string::npos) taken += KeyOf(item.caption[own]);
    }
    auto choose = [&](size_t item, bool wordStartsOnly) {
        const std::string& caption = items[item].caption;
        for (size_t at = 0; at < caption.size(); ++at) {
            if (!IsKeyLetter(caption[at]) || taken.find(KeyOf(caption[at])) != std::string::npos) continue;
            if (wordStartsOnly && at > 0 && caption[at - 1] != ' ') continue;
            keys[item] = at;
            taken += KeyOf(caption[at]);
            return;
        }
    };
    // Word starts first for every item, so that none takes another's
    // obvious letter from the middle of a word.
    for (bool wordStartsOnly : {true, false})
        for (size_t i = 0; i < items.size(); ++i)
            if (chooses(items[i]) && keys[i] == std::string::npos) choose(i, wordStartsOnly);
    GiveEveryItemAKey(items, taken, keys);
    std::vector<std::string> texts;
    for (size_t i = 0; i < items.size(); ++i) {
        std::string text = items[i].caption;
        if (keys[i] != std::string::npos) text.insert(keys[i], "&");
        texts.push_back(text);
    }
    return texts;
}

std::string AccessKey(const std::string& text) {
    const size_t at = OwnKey(text);
    if (at == std::string::npos) return {};
    // The whole character, however many bytes it takes.
    size_t end = at + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    return text.substr(at, end - at);
}

}  // namespace lark
