#include "icons/IconCache.h"

#include "base/cINI.h"
#include "base/RuntimeError.h"
#include "base/Unicode.h"

namespace lark {
namespace {

std::string TrimSpaces(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool IsAbsolute(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

}  // namespace

void LoadIconCache(std::vector<std::string>& iconKeys, const std::string& programFolder, IFileSystem& files,
                   IAnsiCodePage& codePage, ICachePictures& pictures) {
    iconKeys.assign(1, std::string());
    const std::string settingsPath = programFolder + "\\settings.ini";
    if (!pictures.FileExists(settingsPath)) return;
    cINI settings(files, codePage);
    settings.INIPath(settingsPath);
    std::string section;
    if (!Guard([&] { section = settings.GetSection("Files"); })) return;
    if (section.empty()) return;

    size_t start = 0;
    while (start < section.size()) {
        const size_t nul = section.find('\0', start);
        const std::string piece = section.substr(start, nul == std::string::npos ? std::string::npos : nul - start);
        start = nul == std::string::npos ? section.size() : nul + 1;

        const std::string line = TrimSpaces(piece);
        const size_t eq = line.find('=');
        // A line without "=" names no picture; it is skipped.
        if (line.empty() || eq == std::string::npos) continue;
        const std::string name = line.substr(0, eq);
        if (TrimSpaces(name).empty()) continue;
        const size_t eq2 = line.find('=', eq + 1);
        std::string file = TrimSpaces(line.substr(eq + 1, eq2 == std::string::npos ? std::string::npos : eq2 - eq - 1));
        if (file.empty()) continue;
        // Relative names are found beside the program, then in its Icons folder.
        std::string path = IsAbsolute(file) ? file : programFolder + "\\" + file;
        if (!pictures.FileExists(path)) path = programFolder + "\\Icons\\" + file;
        if (!pictures.FileExists(path)) continue;

        // A blank before "=" stays in the key, so such a key never matches.
        const std::string key = UpperCase(name);
        const bool loaded = Guard([&] {
            pictures.AddToSmallList(key, path);
            pictures.AddToLargeList(key, path);
        });
        if (loaded) iconKeys.push_back(key);
    }
}

bool IsCachedIcon(const std::vector<std::string>& iconKeys, const std::string& key) {
    for (size_t i = 1; i < iconKeys.size(); ++i)
        if (iconKeys[i] == key) return true;
    return false;
}

}  // namespace lark
