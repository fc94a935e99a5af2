#pragma once
// The catalogue file's rules, as the loader reads them: CR LF is the only
// line separator, nothing is trimmed, there are no comments.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/TextFile.h"

namespace lark {

// Lines 0 to 32500 are read; anything after them is ignored.
inline constexpr size_t kMaxCatalogueLines = 32501;

// Splits at every CR LF. Empty content gives no line at all; content ending
// in CR LF gives a last, empty line. At most maxLines lines are returned.
std::vector<std::string_view> SplitCatalogueLines(std::string_view content, size_t maxLines = kMaxCatalogueLines);

// "[" first and "]" last, at least two characters.
bool IsSectionHeader(std::string_view line);
std::string_view SectionName(std::string_view header);

// Key before the first "=", value after it.
struct EntryLine {
    std::string_view key;
    std::string_view value;
};
// False when the line holds no "=".
bool SplitEntry(std::string_view line, EntryLine& entry);

// A value's target and arguments. A quoted value with text after the
// closing quote splits into both (arguments trimmed of spaces); any other
// value is the target as written. A value that opens a quote and never
// closes it raises error 5.
struct EntryValue {
    std::string target;
    std::string arguments;
};
EntryValue ParseEntryValue(std::string_view value);

// Why a file would not load whole.
enum class CatalogueFaultKind {
    UnclosedQuote,  // a value opens a quote and never closes it
    RepeatedName,   // a name twice in one section, where the load stops at the second
    CutCharacter,   // the file ends inside a character: it is still being written
};
struct CatalogueFault {
    CatalogueFaultKind kind = CatalogueFaultKind::UnclosedQuote;
    size_t line = 0;  // from 1
    std::string name;  // the repeated name
};

// Reads a file's bytes through the loader's rules without building a bar:
// nullopt when the load would read every line. quietRepeat tells, for the
// target of a repeated name, whether the loader skips it without a word
// (its picture needs no file: a folder or a cached type).
std::optional<CatalogueFault> CheckCatalogue(std::string_view bytes, IAnsiCodePage& ansi,
                                             const std::function<bool(const std::string&)>& quietRepeat);

}  // namespace lark
