#include "foldermenu/FolderContent.h"

#include <algorithm>

#include "base/Texts.h"
#include "base/Unicode.h"

namespace lark {
namespace {

bool Shown(const FolderItem& item, HiddenFiles view) {
    if (!item.hidden) return true;
    // Hidden system files are the system's own: shown only when asked for too.
    return view.showHidden && (!item.system || view.showProtected);
}

bool StartsWithIgnoreCase(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

bool Letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::vector<FolderMenuRow> FolderMenuRows(const FolderListing& listing, HiddenFiles view, const NameOrder& before) {
    if (listing.failure) return {FolderMenuRow{*listing.failure, false, false, 0}};
    std::vector<const FolderItem*> shown;
    for (const FolderItem& item : listing.items)
        if (Shown(item, view)) shown.push_back(&item);
    std::stable_sort(shown.begin(), shown.end(), [&](const FolderItem* a, const FolderItem* b) {
        if (a->folder != b->folder) return a->folder;
        return before(a->name, b->name);
    });
    std::vector<FolderMenuRow> rows;
    rows.reserve(shown.size());
    for (const FolderItem* item : shown) rows.push_back(FolderMenuRow{item->name, item->folder, true, item->source});
    if (rows.empty()) rows.push_back(FolderMenuRow{Text(IDS_FOLDER_EMPTY), false, false, 0});
    return rows;
}

std::string FileType(const std::string& fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == fileName.size()) return {};
    return FoldCase(fileName.substr(dot + 1));
}

std::string ShownFileName(const std::string& fileName, bool hideKnownTypes, const TypeNaming& type) {
    const std::string kind = FileType(fileName);
    if (kind.empty()) return fileName;
    const bool hide = type.neverShow || (!type.alwaysShow && hideKnownTypes && type.known);
    return hide ? fileName.substr(0, fileName.size() - kind.size() - 1) : fileName;
}

TargetKind FolderTargetKind(const std::string& target) {
    if (target.rfind("::{", 0) == 0 || StartsWithIgnoreCase(target, "shell:")) return TargetKind::Folder;
    if (target.size() >= 2 && (target[0] == '\\' || target[0] == '/') && (target[1] == '\\' || target[1] == '/'))
        return TargetKind::ByName;
    if (target.size() >= 3 && Letter(target[0]) && target[1] == ':' && (target[2] == '\\' || target[2] == '/'))
        return TargetKind::Look;
    // Addresses, and programs the shell finds on the path.
    return TargetKind::NotFolder;
}

bool NamedLikeFolder(const std::string& path) {
    if (path.empty()) return false;
    if (path.back() == '\\' || path.back() == '/') return true;
    const size_t slash = path.find_last_of("\\/");
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    return FileType(last).empty();
}

}  // namespace lark
