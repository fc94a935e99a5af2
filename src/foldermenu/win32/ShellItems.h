#pragma once
// The shell's view of folders: item lists (PIDLs), the folders they name,
// and a folder's items as Explorer would list them.
#include <windows.h>
#include <shlobj.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/win32/Ole.h"
#include "foldermenu/FolderContent.h"

namespace lark::win {

struct PidlFree {
    void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

UniquePidl ClonePidl(const ITEMIDLIST* pidl);
UniquePidl JoinPidl(const ITEMIDLIST* folder, const ITEMIDLIST* child);

// A folder open for listing, and where it is.
struct ShellFolder {
    ComPtr<IShellFolder> folder;
    UniquePidl absolute;
};

// The folder a button's target names: a folder path, a special folder
// ("::{...}", "shell:..."), or the folder a shortcut (.lnk) points at.
// Nullopt, with the system's reason, when there is none.
std::optional<ShellFolder> OpenTargetFolder(const std::string& target, HWND owner, std::string& failure);
std::optional<ShellFolder> OpenChildFolder(const ShellFolder& parent, const ITEMIDLIST* child, std::string& failure);

// What the system says an HRESULT means, one line.
std::string ReasonOf(HRESULT hr);

// Explorer's settings for listing: hidden files, and file types shown.
struct ListingSettings {
    HiddenFiles hidden;
    bool hideKnownTypes = true;
    static ListingSettings Read();
};

// Whether Explorer shows a type's name, from the registry, once per type.
class TypeNames {
public:
    const TypeNaming& Of(const std::string& type);

private:
    std::map<std::string, TypeNaming> known_;
};

// One listed item as the shell knows it.
struct ListedChild {
    UniquePidl pidl;         // relative to its folder
    std::wstring fileName;   // a file system item's own name, type and all
};

// A folder's items; each FolderItem's source is its index in `children`.
FolderListing ListFolder(const ShellFolder& folder, HWND owner, const ListingSettings& settings, TypeNames& types,
                         std::vector<ListedChild>& children);

std::wstring DisplayNameOf(IShellFolder& folder, const ITEMIDLIST* child, SHGDNF flags);

}  // namespace lark::win
