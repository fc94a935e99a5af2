#include "catalogue/CatalogueFormat.h"

#include <set>

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

namespace {

// A UTF-8 file whose last character lacks bytes, or a UTF-16 one of an odd
// length, was caught while being written.
bool EndsInsideCharacter(std::string_view bytes) {
    const TextEncoding encoding = DetectEncoding(bytes);
    if (encoding == TextEncoding::Utf16Le) return bytes.size() % 2 != 0;
    if (encoding != TextEncoding::Utf8) return false;
    // The lead byte of the last character and how many bytes it needs.
    for (size_t back = 1; back <= 4 && back <= bytes.size() - kUtf8Bom.size(); ++back) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((c & 0xC0) == 0x80) continue;
        const size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return need > back;
    }
    return false;
}

}  // namespace

std::optional<CatalogueFault> CheckCatalogue(std::string_view bytes, IAnsiCodePage& ansi,
                                             const std::function<bool(const std::string&)>& quietRepeat) {
    const std::string content = DecodeText(bytes, ansi);
    const std::vector<std::string_view> lines = SplitCatalogueLines(content);
    if (EndsInsideCharacter(bytes)) return CatalogueFault{CatalogueFaultKind::CutCharacter, lines.size(), {}};
    bool inSection = false;
    std::set<std::string_view> names;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        EntryLine entry;
        if (IsSectionHeader(line)) {
            inSection = !SectionName(line).empty();
            names.clear();
        } else if (inSection && SplitEntry(line, entry)) {
            EntryValue value;
            try {
                value = ParseEntryValue(entry.value);
            } catch (const RuntimeError&) {
                return CatalogueFault{CatalogueFaultKind::UnclosedQuote, i + 1, std::string(entry.key)};
            }
            // The second button of a name is refused; the load stops there
            // unless its picture needed no file.
            if (!names.insert(entry.key).second &&
                !quietRepeat(value.arguments.empty() ? std::string(entry.value) : value.target))
                return CatalogueFault{CatalogueFaultKind::RepeatedName, i + 1, std::string(entry.key)};
        }
    }
    return std::nullopt;
}

}  // namespace lark
