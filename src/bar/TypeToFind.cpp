#include "bar/TypeToFind.h"

#include "base/RuntimeError.h"
#include "base/Unicode.h"

namespace lark {
namespace {

bool IsWordChar(char32_t c) {
    if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (c < 0xC0) return false;  // Latin-1 punctuation and symbols
    if (c == 0xD7 || c == 0xF7) return false;
    if (c >= 0x2000 && c <= 0x206F) return false;  // general punctuation: dashes, quotes
    if (c == 0x3000) return false;                 // ideographic space
    return true;
}

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }

// The name search-folded, with a flag per byte of the folded text: true
// where a word starts (after a blank or punctuation, or an upper-case
// letter after a lower-case one, as in "PowerShell").
struct FoldedName {
    std::string text;
    std::vector<bool> wordStart;
};

FoldedName FoldName(std::string_view name) {
    FoldedName folded;
    folded.text.reserve(name.size());
    char32_t previous = ' ';
    size_t pos = 0;
    while (pos < name.size()) {
        const char32_t c = NextCodePoint(name, pos);
        const bool upper = FoldCase(c) != c;
        const bool previousLower = IsWordChar(previous) && !IsDigit(previous) && FoldCase(previous) == previous;
        const bool start = IsWordChar(c) && (!IsWordChar(previous) || (upper && previousLower));
        const size_t before = folded.text.size();
        AppendSearchFold(folded.text, c);
        folded.wordStart.resize(folded.text.size(), false);
        if (start && folded.text.size() > before) folded.wordStart[before] = true;
        // A combining mark belongs to the letter before it.
        if (!(c >= 0x300 && c <= 0x36F)) previous = c;
    }
    return folded;
}

NameMatch MatchFolded(std::string_view name, const std::string& query) {
    if (query.empty()) return NameMatch::None;
    const FoldedName folded = FoldName(name);
    NameMatch best = NameMatch::None;
    for (size_t at = folded.text.find(query); at != std::string::npos; at = folded.text.find(query, at + 1)) {
        if (folded.wordStart[at]) return NameMatch::WordStart;
        best = NameMatch::InsideWord;
    }
    return best;
}

}  // namespace

NameMatch MatchName(std::string_view name, std::string_view typed) { return MatchFolded(name, FoldForSearch(typed)); }

std::optional<FoundButton> FindButton(const BarModel& bar, std::string_view typed) {
    const std::string query = FoldForSearch(typed);
    std::optional<FoundButton> inside;
    for (int32_t tab = 1; tab <= bar.SectionCount(); ++tab) {
        const BarSection& section = *bar.SectionAt(tab);
        for (size_t i = 0; i < section.buttons.size(); ++i) {
            const BarButton& button = section.buttons[i];
            const NameMatch match = MatchFolded(button.name, query);
            if (match == NameMatch::None) continue;
            FoundButton found{tab, section.toolbar, static_cast<int32_t>(i), button.key};
            if (match == NameMatch::WordStart) return found;
            if (!inside) inside = std::move(found);
        }
    }
    return inside;
}

bool TypeToFind::Type(char32_t c) {
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) return false;
    if (c == ' ' && text_.empty()) return false;
    AppendUtf8(text_, c);
    Search();
    return true;
}

bool TypeToFind::Backspace() {
    if (text_.empty()) return false;
    // Back over one whole code point.
    size_t end = text_.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(text_[end]) & 0xC0) == 0x80) --end;
    text_.resize(end);
    if (text_.empty()) {
        matched_ = false;
        view_.ShowFindText(text_, true);
    } else {
        Search();
    }
    return true;
}

bool TypeToFind::Clear() {
    if (text_.empty()) return false;
    text_.clear();
    matched_ = false;
    view_.ShowFindText(text_, true);
    return true;
}

void TypeToFind::Search() {
    const std::optional<FoundButton> found = FindButton(bar_, text_);
    matched_ = found.has_value();
    if (found) view_.SelectButton(*found);
    view_.ShowFindText(text_, matched_);
}

}  // namespace lark
