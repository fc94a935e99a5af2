#pragma once
// What a folder's menu shows, as Explorer shows the folder: sub-folders
// first, then files, each in name order; hidden files as the user's setting
// says; names with or without their type as Explorer writes them.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lark {

// One item of a folder as the shell lists it.
struct FolderItem {
    std::string name;  // as Explorer shows it
    bool folder = false;  // opens as a sub-menu
    bool hidden = false;
    bool system = false;
    size_t source = 0;  // the lister's own index of the item
};

// A folder's items, or why it could not be read.
struct FolderListing {
    std::vector<FolderItem> items;
    std::optional<std::string> failure;
};

// Explorer's settings for hidden files.
struct HiddenFiles {
    bool showHidden = false;     // "Show hidden files, folders and drives"
    bool showProtected = false;  // "Hide protected operating system files" unticked
};

// One line of the menu: an item, or a disabled line saying why there is none.
struct FolderMenuRow {
    std::string text;
    bool folder = false;
    bool enabled = true;
    size_t source = 0;
};

// Names in the order Explorer shows them (on Windows, StrCmpLogicalW).
using NameOrder = std::function<bool(const std::string& a, const std::string& b)>;

// The menu's rows for a listing: its items in order, else one disabled row
// "(Empty)" or the reason it could not be read.
std::vector<FolderMenuRow> FolderMenuRows(const FolderListing& listing, HiddenFiles view, const NameOrder& before);

// How Explorer treats a file type's name.
struct TypeNaming {
    bool known = false;       // a registered type
    bool neverShow = false;   // "NeverShowExt": shortcuts, internet shortcuts
    bool alwaysShow = false;  // "AlwaysShowExt"
};

// A file's type: the text after its last dot, lower-cased; empty when there
// is none (or the name starts with the only dot).
std::string FileType(const std::string& fileName);
// A file's name as Explorer shows it, with its type or without.
std::string ShownFileName(const std::string& fileName, bool hideKnownTypes, const TypeNaming& type);

// What the target of a button is, as far as its text tells.
enum class TargetKind {
    Folder,     // a special folder ("::{...}", "shell:...")
    NotFolder,  // an address, a program found on the path
    Look,       // a path on this machine: the file system knows
    ByName,     // a path on another machine: not touched, judged by its name
};
TargetKind FolderTargetKind(const std::string& target);
// A path whose last part has no type ("\\server\share\Docs"), or that ends
// in a separator, is taken for a folder.
bool NamedLikeFolder(const std::string& path);

}  // namespace lark
