#pragma once
// Shortcuts as the catalogue stores them: a .lnk by its target and
// arguments, an internet shortcut (.url) by its address.
#include <cstdint>
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

// A picture in a file: an icon's index in it, or a negative resource id.
struct IconLocation {
    std::string file;
    int32_t index = 0;
};
// The picture an internet shortcut names ("IconFile=" and "IconIndex="
// under "[InternetShortcut]"), nullopt when it names none.
std::optional<IconLocation> InternetShortcutIcon(std::string_view bytes, IAnsiCodePage& ansi);
// A picture as the registry writes one ("DefaultIcon"): a file, quoted or
// not, and after its last comma the index (0 when there is none).
IconLocation ParseIconLocation(std::string_view text);
// The program of a command line as the registry keeps a verb's: the quoted
// file, else the text up to ".exe", else up to the first blank; empty for
// none.
std::string CommandProgram(std::string_view command);

// The scheme of an address such as "https://host/" or "mailto:someone"
// (letters, digits, "+", "-" and "." before the first ":", starting with a
// letter, two characters at least so that a drive letter is none);
// nullopt for anything else.
std::optional<std::string> UrlScheme(std::string_view target);

// A catalogue value the loader reads back as this target and these
// arguments: the target alone, or quoted and followed by the arguments.
// Raises 5 when a target holding a double quote takes arguments.
std::string FormatEntryValue(const std::string& target, const std::string& arguments);

// What a button made from a shell link opens: the link's target and
// arguments, or the link itself where the shell knows the target only as a
// class id or not at all (such targets open only through the link).
LinkTarget LinkButtonTarget(const LinkTarget& link, const std::string& shortcutPath);

}  // namespace lark
