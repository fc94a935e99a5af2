#pragma once
// The catalogue file's rules, as the loader reads them: CR LF is the only
// line separator, nothing is trimmed, there are no comments.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace lark
