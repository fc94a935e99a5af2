#include "foldermenu/win32/ShellItems.h"

#include <shlwapi.h>
#include <shobjidl.h>

#include "base/Texts.h"
#include "base/win32/Handles.h"
#include "base/win32/Text.h"

#ifndef SHCONTF_INCLUDESUPERHIDDEN
#define SHCONTF_INCLUDESUPERHIDDEN 0x10000
#endif

namespace lark::win {

std::wstring DisplayNameOf(IShellFolder& folder, const ITEMIDLIST* child, SHGDNF flags) {
    STRRET name{};
    if (FAILED(folder.GetDisplayNameOf(child, flags, &name))) return {};
    wchar_t* text = nullptr;
    if (FAILED(StrRetToStrW(&name, child, &text)) || !text) return {};
    std::wstring out = text;
    CoTaskMemFree(text);
    return out;
}

namespace {

bool IsShortcut(const std::wstring& path) {
    return path.size() > 4 && CompareStringOrdinal(path.c_str() + path.size() - 4, 4, L".lnk", 4, TRUE) == CSTR_EQUAL;
}

// The item list a shortcut points at.
UniquePidl ShortcutTarget(const std::wstring& path, HRESULT& hr) {
    ComPtr<IShellLinkW> link;
    hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                          reinterpret_cast<void**>(link.put()));
    if (FAILED(hr)) return nullptr;
    ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()));
    if (FAILED(hr) || FAILED(hr = file->Load(path.c_str(), STGM_READ))) return nullptr;
    // A path the shell parses afresh; a shell object by its item list.
    wchar_t pointsAt[MAX_PATH] = {};
    ITEMIDLIST* target = nullptr;
    if (SUCCEEDED(link->GetPath(pointsAt, MAX_PATH, nullptr, 0)) && pointsAt[0]) {
        hr = SHParseDisplayName(pointsAt, nullptr, &target, 0, nullptr);
    } else {
        hr = link->GetIDList(&target);
    }
    if (FAILED(hr) || !target) {
        if (SUCCEEDED(hr)) hr = E_FAIL;
        return nullptr;
    }
    return UniquePidl(target);
}

bool HasValue(HKEY root, const std::wstring& key, const wchar_t* value) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return false;
    UniqueKey owned(raw);
    return RegQueryValueExW(raw, value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring DefaultValue(const std::wstring& key) {
    wchar_t value[256] = {};
    DWORD size = sizeof value - sizeof value[0];
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

}  // namespace

UniquePidl ClonePidl(const ITEMIDLIST* pidl) { return UniquePidl(pidl ? ILClone(pidl) : nullptr); }

UniquePidl JoinPidl(const ITEMIDLIST* folder, const ITEMIDLIST* child) { return UniquePidl(ILCombine(folder, child)); }

std::string ReasonOf(HRESULT hr) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                       FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = n && text ? std::wstring(text, n) : std::wstring();
    LocalFree(text);
    while (!reason.empty() && iswspace(reason.back())) reason.pop_back();
    return reason.empty() ? Text(IDS_FOLDER_UNREADABLE) : Narrow(reason);
}

std::optional<ShellFolder> OpenTargetFolder(const std::string& target, HWND owner, std::string& failure) {
    (void)owner;
    const std::wstring name = Widen(target);
    HRESULT hr = S_OK;
    UniquePidl pidl;
    if (IsShortcut(name)) {
        pidl = ShortcutTarget(name, hr);
    } else {
        ITEMIDLIST* raw = nullptr;
        hr = SHParseDisplayName(name.c_str(), nullptr, &raw, 0, nullptr);
        pidl.reset(SUCCEEDED(hr) ? raw : nullptr);
    }
    if (!pidl) {
        failure = ReasonOf(FAILED(hr) ? hr : E_FAIL);
        return std::nullopt;
    }
    ComPtr<IShellFolder> desktop;
    if (FAILED(hr = SHGetDesktopFolder(desktop.put()))) {
        failure = ReasonOf(hr);
        return std::nullopt;
    }
    ShellFolder out;
    if (pidl->mkid.cb == 0) {
        out.folder = std::move(desktop);  // the desktop itself
    } else if (FAILED(hr = desktop->BindToObject(pidl.get(), nullptr, IID_IShellFolder,
                                                 reinterpret_cast<void**>(out.folder.put())))) {
        failure = ReasonOf(hr);
        return std::nullopt;
    }
    out.absolute = std::move(pidl);
    return out;
}

std::optional<ShellFolder> OpenChildFolder(const ShellFolder& parent, const ITEMIDLIST* child, std::string& failure) {
    ShellFolder out;
    const HRESULT hr =
        parent.folder->BindToObject(child, nullptr, IID_IShellFolder, reinterpret_cast<void**>(out.folder.put()));
    if (FAILED(hr)) {
        failure = ReasonOf(hr);
        return std::nullopt;
    }
    out.absolute = JoinPidl(parent.absolute.get(), child);
    return out;
}

ListingSettings ListingSettings::Read() {
    SHELLSTATEW state{};
    SHGetSetSettings(&state, SSF_SHOWALLOBJECTS | SSF_SHOWSUPERHIDDEN | SSF_SHOWEXTENSIONS, FALSE);
    ListingSettings settings;
    settings.hidden.showHidden = state.fShowAllObjects != FALSE;
    settings.hidden.showProtected = state.fShowSuperHidden != FALSE;
    settings.hideKnownTypes = state.fShowExtensions == FALSE;
    return settings;
}

const TypeNaming& TypeNames::Of(const std::string& type) {
    auto found = known_.find(type);
    if (found != known_.end()) return found->second;
    TypeNaming naming;
    if (!type.empty()) {
        const std::wstring key = L"." + Widen(type);
        const std::wstring progId = DefaultValue(key);
        HKEY raw = nullptr;
        naming.known = !progId.empty() && RegOpenKeyExW(HKEY_CLASSES_ROOT, progId.c_str(), 0, KEY_QUERY_VALUE,
                                                         &raw) == ERROR_SUCCESS;
        UniqueKey owned(raw);
        for (const std::wstring& where : {key, progId}) {
            if (where.empty()) continue;
            naming.neverShow = naming.neverShow || HasValue(HKEY_CLASSES_ROOT, where, L"NeverShowExt");
            naming.alwaysShow = naming.alwaysShow || HasValue(HKEY_CLASSES_ROOT, where, L"AlwaysShowExt");
        }
    }
    return known_.emplace(type, naming).first->second;
}

FolderListing ListFolder(const ShellFolder& folder, HWND owner, const ListingSettings& settings, TypeNames& types,
                         std::vector<ListedChild>& children) {
    FolderListing listing;
    ComPtr<IEnumIDList> items;
    // Hidden items are left out by the view's rule, not the enumerator's.
    const SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN | SHCONTF_INCLUDESUPERHIDDEN;
    const HRESULT hr = folder.folder->EnumObjects(owner, flags, items.put());
    if (FAILED(hr)) {
        listing.failure = ReasonOf(hr);
        return listing;
    }
    if (!items) return listing;
    IShellFolder& shell = *folder.folder;
    ITEMIDLIST* batch[64];
    ULONG got = 0;
    while (SUCCEEDED(items->Next(64, batch, &got)) && got > 0) {
        for (ULONG i = 0; i < got; ++i) {
            UniquePidl child(batch[i]);
            const ITEMIDLIST* raw = child.get();
            SFGAOF attributes = SFGAO_FOLDER | SFGAO_STREAM | SFGAO_FILESYSTEM | SFGAO_HIDDEN;
            if (FAILED(shell.GetAttributesOf(1, reinterpret_cast<PCUITEMID_CHILD_ARRAY>(&raw), &attributes)))
                attributes = 0;
            FolderItem item;
            std::wstring fileOwnName;
            // A zip file is a folder to the shell, a file to a menu.
            item.folder = (attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM);
            item.hidden = (attributes & SFGAO_HIDDEN) != 0;
            if (attributes & SFGAO_FILESYSTEM) {
                WIN32_FIND_DATAW data{};
                if (SUCCEEDED(SHGetDataFromIDListW(&shell, raw, SHGDFIL_FINDDATA, &data, sizeof data))) {
                    item.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
                    item.system = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
                }
                // The file's own name, typed as Explorer shows it: asking the
                // shell for the shown name costs a registry walk per item.
                fileOwnName = DisplayNameOf(shell, raw, SHGDN_INFOLDER | SHGDN_FORPARSING);
                const std::string name = Narrow(fileOwnName);
                item.name = item.folder ? name : ShownFileName(name, settings.hideKnownTypes, types.Of(FileType(name)));
            } else {
                item.name = Narrow(DisplayNameOf(shell, raw, SHGDN_INFOLDER));
            }
            item.source = children.size();
            children.push_back(ListedChild{std::move(child), std::move(fileOwnName)});
            listing.items.push_back(std::move(item));
        }
        if (got < 64) break;
    }
    return listing;
}

}  // namespace lark::win
