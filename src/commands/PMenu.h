#pragma once
// The popup-menu component: a list of items addressed by 1-based position,
// named item lists that can be stored and made current again, and a popup
// that returns the chosen position.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lark {

struct MenuItem {
    std::string caption;  // "-" for a separator
    std::string secondText;
    int32_t number1 = 0;
    int32_t number2 = 0;
    int32_t image = -1;  // 0-based index into the menu's image list, -1 none
    bool checked = false;
    bool enabled = true;
    std::string key;
    bool header = false;
};

struct MenuColours {
    uint32_t first = 0;  // blue-green-red order, as &H804000
    uint32_t second = 0;
    uint32_t third = 0;
};

// The items' texts as a menu shows them, each with an access key: an "&"
// the caption holds stays; the other items take the first letter of a word
// that no item has taken, else any letter not taken. Headers and separators
// take none. Letters compare without regard to case.
std::vector<std::string> MenuTexts(const std::vector<MenuItem>& items);

// The access key of a menu text: the character after its lone "&" (UTF-8),
// empty for none ("&&" is an ampersand).
std::string AccessKey(const std::string& text);

// Shows a menu and waits for the choice.
class IMenuPresenter {
public:
    virtual ~IMenuPresenter() = default;
    // x and y in twips from the owner's top left. Returns the chosen 1-based
    // position, 0 when dismissed.
    virtual int32_t Popup(const std::vector<MenuItem>& items, const MenuColours& colours, uintptr_t owner, int32_t x,
                          int32_t y) = 0;
};

class PMenu {
public:
    explicit PMenu(IMenuPresenter& presenter) : presenter_(presenter) {}

    void ShowImages(bool on) { showImages_ = on; }
    MenuColours& Colours() { return colours_; }
    void OwnerWindow(uintptr_t owner) { owner_ = owner; }

    void ClearItems() { items_.clear(); }
    int32_t AddItem(const std::string& caption, const std::string& secondText, int32_t number1, int32_t number2,
                    int32_t image, bool checked, bool enabled, const std::string& key);
    // The members taking a position raise 9 for one without an item.
    void SetHeader(int32_t position, bool header);
    void SetChecked(int32_t position, bool checked);
    void SetEnabled(int32_t position, bool enabled);
    const MenuItem& Item(int32_t position) const;
    std::string ItemKey(int32_t position) const;
    // Position of the first item with the key; 0 when none. Empty keys
    // (the headers') are never found.
    int32_t ItemIndex(const std::string& key) const;
    int32_t ItemCount() const { return static_cast<int32_t>(items_.size()); }

    void SaveMenu(const std::string& name) { saved_[name] = items_; }
    // Raises 5 for a name never saved.
    void LoadMenu(const std::string& name);

    // x and y: twips from the owner window's top left. Returns the position
    // chosen, 0 for none.
    int32_t Popup(int32_t x, int32_t y);

private:
    MenuItem& At(int32_t position);

    IMenuPresenter& presenter_;
    bool showImages_ = false;
    MenuColours colours_;
    uintptr_t owner_ = 0;
    std::vector<MenuItem> items_;
    std::map<std::string, std::vector<MenuItem>> saved_;
};

}  // namespace lark
