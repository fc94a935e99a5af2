#include "catalogue/CatalogueFormat.h"

#include "base/RuntimeError.h"

namespace lark {

std::vector<std::string_view> SplitCatalogueLines(std::string_view content, size_t maxLines) {
    std::vector<std::string_view> lines;
    if (content.empty()) return lines;
    size_t start = 0;
    while (lines.size() < maxLines) {
        const size_t end = content.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(content.substr(start));
            break;
        }
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool IsSectionHeader(std::string_view line) {
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

std::string_view SectionName(std::string_view header) { return header.substr(1, header.size() - 2); }

bool SplitEntry(std::string_view line, EntryLine& entry) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    entry.key = line.substr(0, eq);
    entry.value = line.substr(eq + 1);
    return true;
}

EntryValue ParseEntryValue(std::string_view value) {
    EntryValue out;
    if (!value.empty() && value.front() == '"') {
        const size_t close = value.find('"', 1);
        if (close == std::string_view::npos) Raise(kErrInvalidCall);
        std::string_view rest = value.substr(close + 1);
        const size_t first = rest.find_first_not_of(' ');
        if (first != std::string_view::npos) {
            const size_t last = rest.find_last_not_of(' ');
            out.target = std::string(value.substr(1, close - 1));
            out.arguments = std::string(rest.substr(first, last - first + 1));
            return out;
        }
    }
    // Plain, or quoted with nothing after the closing quote: the value as it
    // stands, quotes included.
    out.target = std::string(value);
    return out;
}

}  // namespace lark
