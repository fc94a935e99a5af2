#include "catalogue/win32/ShellFolderTree.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "base/RuntimeError.h"
#include "base/win32/Handles.h"
#include "base/win32/Ole.h"
#include "base/win32/Services.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

struct PidlFree {
    void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE search) { FindClose(search); }
};
using UniqueFind = Owned<HANDLE, FindTraits>;

bool EndsWith(const std::wstring& name, const wchar_t* type) {
    return name.size() > 4 && CompareStringOrdinal(name.c_str() + name.size() - 4, 4, type, 4, TRUE) == CSTR_EQUAL;
}

// Shell links and internet shortcuts (Favorites holds these).
bool IsShortcutFile(const std::wstring& name) { return EndsWith(name, L".lnk") || EndsWith(name, L".url"); }

// The shell hides a shortcut's extension whatever the user's setting; when
// it has no name to offer, the file name stands in.
std::wstring DisplayName(const std::wstring& path, const std::wstring& fileName, bool shortcut) {
    SHFILEINFOW info{};
    std::wstring name;
    if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME)) name = info.szDisplayName;
    if (name.empty()) name = fileName;
    if (shortcut && IsShortcutFile(name)) name.resize(name.size() - 4);
    return name;
}

std::wstring LastComponent(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// A shortcut to a shell object has no file path; its parsing name
// ("::{clsid}") then stands for the target, as the shell reports it.
std::wstring TargetOfIdList(IShellLinkW& link) {
    ITEMIDLIST* raw = nullptr;
    if (FAILED(link.GetIDList(&raw)) || !raw) return {};
    const UniquePidl pidl(raw);
    wchar_t* name = nullptr;
    if (FAILED(SHGetNameFromIDList(pidl.get(), SIGDN_DESKTOPABSOLUTEPARSING, &name)) || !name) return {};
    std::wstring out = name;
    CoTaskMemFree(name);
    return out;
}

LinkTarget ReadLink(IShellLinkW& link) {
    wchar_t target[MAX_PATH] = {};
    if (FAILED(link.GetPath(target, MAX_PATH, nullptr, 0))) Raise(kErrPathFileAccess);
    // Arguments may run longer than a path.
    std::wstring arguments(INFOTIPSIZE, L'\0');
    if (FAILED(link.GetArguments(arguments.data(), static_cast<int>(arguments.size())))) arguments.clear();
    arguments.resize(wcslen(arguments.c_str()));
    return {Narrow(target[0] ? std::wstring(target) : TargetOfIdList(link)), Narrow(arguments)};
}

LinkTarget ReadShortcutFile(const std::wstring& path) {
    // A first run imports before the bar has started COM.
    EnsureOleInitialized();
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.put()))))
        Raise(kErrObjectNotSet);
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put())))) Raise(kErrObjectNotSet);
    if (FAILED(file->Load(path.c_str(), STGM_READ))) Raise(kErrPathFileAccess);
    return ReadLink(*link);
}

// An internet shortcut by its address; a link by its target.
LinkTarget ReadShortcutOrUrl(const std::wstring& path) {
    if (!EndsWith(path, L".url")) return ReadShortcutFile(path);
    FileSystemService files;
    AnsiCodePageService ansi;
    const std::optional<std::string> url = InternetShortcutUrl(files.ReadBytes(Narrow(path)), ansi);
    if (!url) Raise(kErrPathFileAccess);
    return {*url, {}};
}

// A folder of the file system, or a virtual one (no path) without items.
class FileFolder : public IFolder {
public:
    FileFolder(std::wstring path, std::string title, IFolder* parent)
        : path_(std::move(path)), title_(std::move(title)), parent_(parent) {}

    std::string Title() override { return title_; }
    IFolder* Parent() override { return parent_; }

    std::vector<FolderEntry> Items() override {
        if (path_.empty()) return {};
        struct Found {
            std::wstring name;
            bool folder;
        };
        std::vector<Found> found;
        WIN32_FIND_DATAW data{};
        const UniqueFind search(FindFirstFileW((path_ + L"\\*").c_str(), &data));
        if (!search) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) return {};
            Raise(error == ERROR_ACCESS_DENIED ? kErrPermissionDenied : kErrPathNotFound);
        }
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            // The shell leaves hidden files (desktop.ini and the like) out.
            if (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) continue;
            found.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileW(search.get(), &data));

        // The order NTFS lists names in, whatever file system lies below.
        std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
            return CompareStringOrdinal(a.name.c_str(), -1, b.name.c_str(), -1, TRUE) == CSTR_LESS_THAN;
        });
        std::vector<FolderEntry> items;
        items.reserve(found.size());
        for (const Found& f : found) {
            const std::wstring full = path_ + L"\\" + f.name;
            const bool shortcut = !f.folder && IsShortcutFile(f.name);
            items.push_back({Narrow(DisplayName(full, f.name, shortcut)), Narrow(full), f.folder, shortcut});
        }
        return items;
    }

    std::unique_ptr<IFolder> Open(const FolderEntry& folder) override {
        if (!folder.isFolder) Raise(kErrInvalidCall);
        return std::make_unique<FileFolder>(Widen(folder.path), folder.name, this);
    }

    LinkTarget ShortcutTarget(const FolderEntry& shortcut) override {
        if (!shortcut.isShortcut) Raise(kErrInvalidCall);
        return ReadShortcutOrUrl(Widen(shortcut.path));
    }

private:
    std::wstring path_;
    std::string title_;
    IFolder* parent_;
};

std::wstring StrRetText(STRRET& ret, PCUITEMID_CHILD child) {
    wchar_t* text = nullptr;
    if (FAILED(StrRetToStrW(&ret, child, &text)) || !text) return {};
    std::wstring out = text;
    CoTaskMemFree(text);
    return out;
}

// A folder walked through the shell's own enumeration: for folders that
// have no file-system path (the network), and what lies below them.
class NamespaceFolder : public IFolder {
public:
    NamespaceFolder(ComPtr<IShellFolder> folder, std::string title, IFolder* parent)
        : folder_(std::move(folder)), title_(std::move(title)), parent_(parent) {}

    std::string Title() override { return title_; }
    IFolder* Parent() override { return parent_; }

    std::vector<FolderEntry> Items() override {
        children_.clear();
        std::vector<FolderEntry> items;
        ComPtr<IEnumIDList> list;
        const HRESULT listed = folder_->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, list.put());
        if (FAILED(listed)) Raise(kErrPathNotFound);
        if (listed == S_FALSE || !list) return items;  // nothing to list
        ITEMIDLIST* raw = nullptr;
        while (list->Next(1, reinterpret_cast<PITEMID_CHILD*>(&raw), nullptr) == S_OK && raw) {
            UniquePidl child(raw);
            PCUITEMID_CHILD id = reinterpret_cast<PCUITEMID_CHILD>(child.get());
            SFGAOF attributes = SFGAO_FOLDER | SFGAO_LINK | SFGAO_STREAM;
            if (FAILED(folder_->GetAttributesOf(1, &id, &attributes))) attributes = 0;
            const std::wstring name = Name(id, SHGDN_INFOLDER);
            const std::wstring path = Name(id, SHGDN_FORPARSING);
            // A zip file is a folder to the shell; the bar takes it as a file.
            const bool folder = (attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM);
            const bool shortcut = !folder && ((attributes & SFGAO_LINK) || IsShortcutFile(path));
            items.push_back({Narrow(shortcut && IsShortcutFile(name) ? name.substr(0, name.size() - 4) : name),
                             Narrow(path), folder, shortcut});
            children_.emplace_back(Narrow(path), std::move(child));
        }
        return items;
    }

    std::unique_ptr<IFolder> Open(const FolderEntry& folder) override {
        if (!folder.isFolder) Raise(kErrInvalidCall);
        ComPtr<IShellFolder> inner;
        if (FAILED(folder_->BindToObject(Child(folder), nullptr, IID_IShellFolder,
                                         reinterpret_cast<void**>(inner.put()))))
            Raise(kErrPathNotFound);
        return std::make_unique<NamespaceFolder>(std::move(inner), folder.name, this);
    }

    LinkTarget ShortcutTarget(const FolderEntry& shortcut) override {
        if (!shortcut.isShortcut) Raise(kErrInvalidCall);
        const std::wstring path = Widen(shortcut.path);
        if (IsShortcutFile(path) && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return ReadShortcutOrUrl(path);
        PCUITEMID_CHILD id = Child(shortcut);
        ComPtr<IShellLinkW> link;
        if (FAILED(folder_->GetUIObjectOf(nullptr, 1, &id, IID_IShellLinkW, nullptr,
                                          reinterpret_cast<void**>(link.put()))))
            Raise(kErrPathFileAccess);
        return ReadLink(*link);
    }

private:
    std::wstring Name(PCUITEMID_CHILD id, SHGDNF form) const {
        STRRET ret{};
        if (FAILED(folder_->GetDisplayNameOf(id, form, &ret))) return {};
        return StrRetText(ret, id);
    }

    PCUITEMID_CHILD Child(const FolderEntry& entry) const {
        for (const auto& child : children_)
            if (child.first == entry.path) return reinterpret_cast<PCUITEMID_CHILD>(child.second.get());
        Raise(kErrPathNotFound);
    }

    ComPtr<IShellFolder> folder_;
    std::string title_;
    IFolder* parent_;
    std::vector<std::pair<std::string, UniquePidl>> children_;  // by parsing name, from the last listing
};

std::unique_ptr<IFolder> OpenNamespace(PCIDLIST_ABSOLUTE pidl, std::string title) {
    EnsureOleInitialized();
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put()))) Raise(kErrObjectNotSet);
    ComPtr<IShellFolder> folder;
    if (pidl->mkid.cb == 0) {
        folder = std::move(desktop);  // the desktop itself
    } else if (FAILED(desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder.put())))) {
        Raise(kErrPathNotFound);
    }
    return std::make_unique<NamespaceFolder>(std::move(folder), std::move(title), nullptr);
}

}  // namespace

std::unique_ptr<IFolder> ShellFolderTree::OpenSpecialFolder(int32_t folderNumber) {
    ITEMIDLIST* raw = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, folderNumber, &raw)) || !raw) Raise(kErrObjectNotSet);
    const UniquePidl pidl(raw);
    SHFILEINFOW info{};
    std::string title;
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl.get()), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME))
        title = Narrow(info.szDisplayName);
    // Not SHGetPathFromIDListW: Wine answers the network folder with its
    // "::{clsid}" parsing name there, as if it were a path.
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, folderNumber, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::make_unique<FileFolder>(path, title, nullptr);
    return OpenNamespace(pidl.get(), title);
}

std::unique_ptr<IFolder> ShellFolderTree::OpenPath(const std::string& path) {
    std::wstring wide = Widen(path);
    while (wide.size() > 3 && (wide.back() == L'\\' || wide.back() == L'/')) wide.pop_back();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) Raise(kErrPathNotFound);
    return std::make_unique<FileFolder>(wide, Narrow(DisplayName(wide, LastComponent(wide), false)), nullptr);
}

std::unique_ptr<IFolder> ShellFolderTree::OpenPathInNamespace(const std::string& path) {
    const std::wstring wide = Widen(path);
    ITEMIDLIST* raw = nullptr;
    if (FAILED(SHParseDisplayName(wide.c_str(), nullptr, reinterpret_cast<PIDLIST_ABSOLUTE*>(&raw), 0, nullptr)) ||
        !raw)
        Raise(kErrPathNotFound);
    const UniquePidl pidl(raw);
    return OpenNamespace(pidl.get(), Narrow(DisplayName(wide, LastComponent(wide), false)));
}

LinkTarget ShortcutReader::ReadShortcut(const std::string& path) { return ReadShortcutFile(Widen(path)); }

}  // namespace lark::win
