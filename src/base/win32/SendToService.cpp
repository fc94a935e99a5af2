#include "base/win32/SendToService.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>

#include "base/RuntimeError.h"
#include "base/win32/Ole.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

ComPtr<IShellLinkW> NewLink() {
    EnsureOleInitialized();  // Options may come before the bar started COM
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.put()))))
        Raise(kErrObjectNotSet);
    return link;
}

ComPtr<IPersistFile> FileOf(IShellLinkW& link) {
    ComPtr<IPersistFile> file;
    if (FAILED(link.QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put())))) Raise(kErrObjectNotSet);
    return file;
}

}  // namespace

std::wstring SendToService::PathOf(const std::string& name) const {
    std::wstring folder = folder_;
    if (folder.empty()) {
        PWSTR path = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_SendTo, KF_FLAG_CREATE, nullptr, &path))) folder = path;
        CoTaskMemFree(path);
        if (folder.empty()) Raise(kErrPathNotFound);
    }
    return folder + L"\\" + Widen(name) + L".lnk";
}

std::optional<LinkTarget> SendToService::Read(const std::string& name) {
    try {
        const std::wstring path = PathOf(name);
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
        ComPtr<IShellLinkW> link = NewLink();
        if (FAILED(FileOf(*link)->Load(path.c_str(), STGM_READ))) return std::nullopt;
        // As written: the target need not be looked for, only compared.
        wchar_t target[MAX_PATH] = {};
        if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return std::nullopt;
        wchar_t arguments[INFOTIPSIZE] = {};
        if (FAILED(link->GetArguments(arguments, INFOTIPSIZE))) arguments[0] = L'\0';
        return LinkTarget{Narrow(target), Narrow(arguments)};
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

void SendToService::Write(const std::string& name, const LinkTarget& link) {
    const std::wstring path = PathOf(name);
    ComPtr<IShellLinkW> shortcut = NewLink();
    const std::wstring target = Widen(link.target);
    const size_t slash = target.find_last_of(L'\\');
    if (FAILED(shortcut->SetPath(target.c_str())) || FAILED(shortcut->SetArguments(Widen(link.arguments).c_str())))
        Raise(kErrPathFileAccess);
    if (slash != std::wstring::npos) shortcut->SetWorkingDirectory(target.substr(0, slash).c_str());
    shortcut->SetIconLocation(target.c_str(), 0);
    if (FAILED(FileOf(*shortcut)->Save(path.c_str(), TRUE))) Raise(kErrPathFileAccess);
}

void SendToService::Remove(const std::string& name) {
    const std::wstring path = PathOf(name);
    if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
        Raise(kErrPermissionDenied);
}

}  // namespace lark::win
