#include "base/Shortcuts.h"

#include <algorithm>

#include "base/IniDocument.h"
#include "base/RuntimeError.h"

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
