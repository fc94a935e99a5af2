#include "bar/DropList.h"

#include <algorithm>

#include "base/RuntimeError.h"
#include "base/Unicode.h"

namespace lark {
namespace {

std::string Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = Trimmed(std::string_view(text).substr(start, end - start));
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool EndsWithIgnoreCase(const std::string& text, std::string_view suffix) {
    return text.size() > suffix.size() &&
           EqualsIgnoreCase(std::string_view(text).substr(text.size() - suffix.size()), suffix);
}

// A line break in a catalogue value would end its line there and make the
// rest a line of its own: no path holds one, only a crafted drag or link.
bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// The loader splits an entry at its first "=", and a line that starts with
// "[" is a header to the profile functions: a name can hold neither, nor a
// line break.
std::string EntryName(std::string name) {
    std::replace(name.begin(), name.end(), '=', '-');
    std::replace_if(name.begin(), name.end(), [](char c) { return c >= 0 && c < ' '; }, ' ');
    // Blanks and brackets alike: "[ [x" would still start with one.
    return Trimmed(name.substr(std::min(name.find_first_not_of("[ "), name.size())));
}

// The last part of a path; a drive's root is its own name.
std::string FileName(std::string path) {
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Without its type, as the shell shows a shortcut; a name that is all
// type (".profile") keeps it.
std::string WithoutType(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// An address as plain text shows: a scheme with "//", or "www.".
std::string AddressIn(const std::string& line) {
    if (line.find(' ') != std::string::npos) return {};
    const size_t scheme = line.find("://");
    if (scheme != std::string::npos && scheme > 0) return line;
    if (EqualsIgnoreCase(std::string_view(line).substr(0, std::min<size_t>(4, line.size())), "www."))
        return "http://" + line;
    return {};
}

// The host of an address names it when the page gave no title.
std::string HostOf(const std::string& url) {
    const size_t scheme = url.find("://");
    const size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    const size_t end = url.find_first_of("/?#:", start);
    const std::string host = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return host.empty() ? url : host;
}

std::vector<std::string> TextAddresses(const std::string& text) {
    std::vector<std::string> out;
    for (const std::string& line : Lines(text))
        if (std::string address = AddressIn(line); !address.empty()) out.push_back(std::move(address));
    return out;
}

NewEntry FileEntry(const DroppedFile& file, IShortcutReader& links, IFileSystem& files, IAnsiCodePage& ansi) {
    const std::string fileName = FileName(file.path);
    NewEntry entry{EntryName(file.isFolder ? fileName : WithoutType(fileName)), file.path, {}};
    if (file.isFolder) return entry;
    if (EndsWithIgnoreCase(fileName, ".lnk")) {
        Guard([&] {
            const LinkTarget button = LinkButtonTarget(links.ReadShortcut(file.path), file.path);
            if (HasLineBreak(button.target) || HasLineBreak(button.arguments)) return;
            entry.target = button.target;
            entry.arguments = button.arguments;
        });
    } else if (EndsWithIgnoreCase(fileName, ".url")) {
        Guard([&] {
            if (const std::optional<std::string> url = InternetShortcutUrl(files.ReadBytes(file.path), ansi))
                entry.target = *url;
        });
    }
    if (entry.name.empty()) entry.name = EntryName(file.path);
    return entry;
}

}  // namespace

bool CanDrop(const DroppedItems& items) {
    return !items.files.empty() || !Lines(items.urls).empty() || !TextAddresses(items.text).empty();
}

std::vector<NewEntry> DroppedEntries(const DroppedItems& items, IShortcutReader& links, IFileSystem& files,
                                     IAnsiCodePage& ansi) {
    std::vector<NewEntry> entries;
    for (const DroppedFile& file : items.files)
        if (!HasLineBreak(file.path)) entries.push_back(FileEntry(file, links, files, ansi));
    if (!entries.empty()) return entries;
    std::vector<std::string> urls = Lines(items.urls);
    if (urls.empty()) urls = TextAddresses(items.text);
    std::string title = Trimmed(items.urlTitle);
    if (EndsWithIgnoreCase(title, ".url")) title.resize(title.size() - 4);
    for (const std::string& url : urls) {
        // A page's title names one address; several are named by their hosts.
        std::string name = EntryName(urls.size() == 1 && !title.empty() ? title : HostOf(url));
        entries.push_back(NewEntry{std::move(name), url, {}});
    }
    return entries;
}

}  // namespace lark
