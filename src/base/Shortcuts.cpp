#include "base/Shortcuts.h"

#include <algorithm>
#include <charconv>

#include "base/IniDocument.h"
#include "base/RuntimeError.h"
#include "base/Unicode.h"

namespace lark {
namespace {

std::string Trimmed(std::string text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<std::string> InternetShortcutUrl(std::string_view bytes, IAnsiCodePage& ansi) {
    const std::optional<std::string> url = IniDocument::Parse(bytes, ansi).Value("InternetShortcut", "URL");
    if (!url || url->empty()) return std::nullopt;
    return url;
}

std::optional<IconLocation> InternetShortcutIcon(std::string_view bytes, IAnsiCodePage& ansi) {
    const IniDocument document = IniDocument::Parse(bytes, ansi);
    const std::optional<std::string> file = document.Value("InternetShortcut", "IconFile");
    if (!file || Trimmed(*file).empty()) return std::nullopt;
    IconLocation location{Trimmed(*file), 0};
    // No number reads as the first picture.
    if (const std::optional<std::string> index = document.Value("InternetShortcut", "IconIndex")) {
        const std::string number = Trimmed(*index);
        std::from_chars(number.data(), number.data() + number.size(), location.index);
    }
    return location;
}

IconLocation ParseIconLocation(std::string_view text) {
    std::string value = Trimmed(std::string(text));
    IconLocation location;
    const size_t comma = value.rfind(',');
    const size_t quote = value.rfind('"');
    // A comma inside the quotes belongs to the file's name.
    if (comma != std::string::npos && (quote == std::string::npos || comma > quote)) {
        const std::string index = Trimmed(value.substr(comma + 1));
        int32_t number = 0;
        const char* end = index.data() + index.size();
        const auto [stop, error] = std::from_chars(index.data(), end, number);
        if (!index.empty() && error == std::errc() && stop == end) {
            location.index = number;
            value = Trimmed(value.substr(0, comma));
        }
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    location.file = value;
    return location;
}

std::string CommandProgram(std::string_view command) {
    const std::string line = Trimmed(std::string(command));
    if (line.empty()) return {};
    if (line.front() == '"') {
        const size_t close = line.find('"', 1);
        return close == std::string::npos ? line.substr(1) : line.substr(1, close - 1);
    }
    // Unquoted, a folder's name may hold blanks: the program ends at ".exe".
    const std::string upper = UpperCase(line);
    for (size_t at = upper.find(".EXE"); at != std::string::npos; at = upper.find(".EXE", at + 1)) {
        const size_t end = at + 4;
        if (end == line.size() || line[end] == ' ' || line[end] == '\t') return line.substr(0, end);
    }
    return line.substr(0, line.find_first_of(" \t"));
}

std::optional<std::string> UrlScheme(std::string_view target) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    const size_t colon = target.find(':');
    if (colon == std::string_view::npos || colon < 2 || !letter(target[0])) return std::nullopt;
    for (size_t i = 1; i < colon; ++i) {
        const char c = target[i];
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return std::nullopt;
    }
    return std::string(target.substr(0, colon));
}

std::string FormatEntryValue(const std::string& target, const std::string& arguments) {
    const std::string args = Trimmed(arguments);
    // The loader takes a quoted target up to the next quote, and stops at a
    // value that opens a quote it never closes.
    const size_t quotes = static_cast<size_t>(std::count(target.begin(), target.end(), '"'));
    if (args.empty()) {
        // A plain value the loader reads as itself: it opens no quote, or
        // closes its one quoted part at its end.
        if (!target.empty() && target.front() == '"' && !(quotes == 2 && target.back() == '"'))
            Raise(kErrInvalidCall);
        return target;
    }
    if (quotes > 0) Raise(kErrInvalidCall);
    return "\"" + target + "\" " + args;
}

LinkTarget LinkButtonTarget(const LinkTarget& link, const std::string& shortcutPath) {
    if (link.target.empty() || link.target.find('{') != std::string::npos) return {shortcutPath, {}};
    return {link.target, Trimmed(link.arguments)};
}

}  // namespace lark
