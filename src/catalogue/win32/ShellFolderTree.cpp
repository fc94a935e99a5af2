#include "catalogue/win32/ShellFolderTree.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>

#include "base/RuntimeError.h"
#include "base/win32/Handles.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComPtr = std::unique_ptr<T, ComRelease>;

struct PidlFree {
    void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};
using UniquePidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE search) { FindClose(search); }
};
using UniqueFind = Owned<HANDLE, FindTraits>;

bool EndsWithLnk(const std::wstring& name) {
    return name.size() > 4 && CompareStringOrdinal(name.c_str() + name.size() - 4, 4, L".lnk", 4, TRUE) == CSTR_EQUAL;
}

// The shell hides a shortcut's extension whatever the user's setting; when
// it has no name to offer, the file name stands in.
std::wstring DisplayName(const std::wstring& path, const std::wstring& fileName, bool shortcut) {
    SHFILEINFOW info{};
    std::wstring name;
    if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME)) name = info.szDisplayName;
    if (name.empty()) name = fileName;
    if (shortcut && EndsWithLnk(name)) name.resize(name.size() - 4);
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

std::string ReadShortcutTarget(const std::wstring& path) {
    IShellLinkW* rawLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&rawLink))))
        Raise(kErrObjectNotSet);
    const ComPtr<IShellLinkW> link(rawLink);
    IPersistFile* rawFile = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) Raise(kErrObjectNotSet);
    const ComPtr<IPersistFile> file(rawFile);
    if (FAILED(file->Load(path.c_str(), STGM_READ))) Raise(kErrPathFileAccess);

    wchar_t target[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, 0))) Raise(kErrPathFileAccess);
    return Narrow(target[0] ? std::wstring(target) : TargetOfIdList(*link));
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
            const bool shortcut = !f.folder && EndsWithLnk(f.name);
            items.push_back({Narrow(DisplayName(full, f.name, shortcut)), Narrow(full), f.folder, shortcut});
        }
        return items;
    }

    std::unique_ptr<IFolder> Open(const FolderEntry& folder) override {
        if (!folder.isFolder) Raise(kErrInvalidCall);
        return std::make_unique<FileFolder>(Widen(folder.path), folder.name, this);
    }

    std::string ShortcutTarget(const FolderEntry& shortcut) override {
        if (!shortcut.isShortcut) Raise(kErrInvalidCall);
        return ReadShortcutTarget(Widen(shortcut.path));
    }

private:
    std::wstring path_;
    std::string title_;
    IFolder* parent_;
};

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
    const bool onDisk = SUCCEEDED(SHGetFolderPathW(nullptr, folderNumber, nullptr, SHGFP_TYPE_CURRENT, path));
    const std::wstring folder = onDisk ? path : L"";
    return std::make_unique<FileFolder>(folder, title, nullptr);
}

std::unique_ptr<IFolder> ShellFolderTree::OpenPath(const std::string& path) {
    std::wstring wide = Widen(path);
    while (wide.size() > 3 && (wide.back() == L'\\' || wide.back() == L'/')) wide.pop_back();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) Raise(kErrPathNotFound);
    return std::make_unique<FileFolder>(wide, Narrow(DisplayName(wide, LastComponent(wide), false)), nullptr);
}

}  // namespace lark::win
