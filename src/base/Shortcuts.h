#pragma once
// Shortcuts as the catalogue stores them: a .lnk by its target and
// arguments, an internet shortcut (.url) by its address.
#include <optional>
#include <string>
#include <string_view>

#include "base/TextFile.h"

namespace lark {

// What a shell link (.lnk) points at. An empty target means the shell could
// not resolve it to a path.
struct LinkTarget {
    std::string target;
    std::string arguments;
};

class IShortcutReader {
public:
    virtual ~IShortcutReader() = default;
    // Raises a RuntimeError when the file is no readable shell link.
    virtual LinkTarget ReadShortcut(const std::string& path) = 0;
};

// The address of an internet shortcut's bytes ("URL=" under
// "[InternetShortcut]"), nullopt when it has none.
std::optional<std::string> InternetShortcutUrl(std::string_view bytes, IAnsiCodePage& ansi);

// A catalogue value the loader reads back as this target and these
// arguments: the target alone, or quoted and followed by the arguments.
// Raises 5 when a target holding a double quote takes arguments.
std::string FormatEntryValue(const std::string& target, const std::string& arguments);

// What a button made from a shell link opens: the link's target and
// arguments, or the link itself where the shell knows the target only as a
// class id or not at all (such targets open only through the link).
LinkTarget LinkButtonTarget(const LinkTarget& link, const std::string& shortcutPath);

}  // namespace lark
