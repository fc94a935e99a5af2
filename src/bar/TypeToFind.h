#pragma once
// Type to find: letters typed while the bar has the keyboard pick the first
// program button, in tab order across all sections, whose name holds them.
// A match at the start of a word comes before one inside a word; letter
// case and accents do not count.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/BarModel.h"

namespace lark {

struct FoundButton {
    int32_t tab = 0;           // tab position, from 1
    int32_t toolbarIndex = 0;  // the section's element of Toolbar1
    int32_t button = 0;        // position on that toolbar, from 0
    std::string key;
};

enum class NameMatch { None, InsideWord, WordStart };

// How a button name holds the typed text, both compared search-folded.
NameMatch MatchName(std::string_view name, std::string_view typed);

// The best match across the bar's sections in tab order; nullopt when no
// name holds the text (or the text is empty).
std::optional<FoundButton> FindButton(const BarModel& bar, std::string_view typed);

// What the bar shows of a search.
class IFindView {
public:
    virtual ~IFindView() = default;
    // Shows the button's section and puts the keyboard on the button.
    virtual void SelectButton(const FoundButton& found) = 0;
    // The typed text in the find box; an empty text hides the box. matched
    // is false while no name holds the text.
    virtual void ShowFindText(const std::string& text, bool matched) = 0;
};

class TypeToFind {
public:
    TypeToFind(const BarModel& bar, IFindView& view) : bar_(bar), view_(view) {}

    // A typed character: printable ones extend the text and search again,
    // the selection staying where it was when nothing matches. A blank
    // only extends a text already begun (on its own it launches). Returns
    // whether the character was taken.
    bool Type(char32_t c);
    // Drops the last character; false when there was no text.
    bool Backspace();
    // Clears the text; false when there was none.
    bool Clear();
    bool Active() const { return !text_.empty(); }
    // The text names a button (and the keyboard is on it).
    bool Matched() const { return matched_; }
    const std::string& Text() const { return text_; }

private:
    void Search();

    const BarModel& bar_;
    IFindView& view_;
    std::string text_;
    bool matched_ = false;
};

}  // namespace lark
