#include "base/win32/UserFolders.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

namespace lark::win {

namespace {

// The environment names the user's folders in every session; asking the
// shell (which then loads) is the fallback.
std::wstring UserFolder(const wchar_t* variable, const KNOWNFOLDERID& id, DWORD flags) {
    std::wstring folder(MAX_PATH, L'\0');
    const DWORD length = GetEnvironmentVariableW(variable, folder.data(), MAX_PATH);
    folder.resize(length < MAX_PATH ? length : 0);
    // A relative value would follow the current folder.
    const bool absolute = (folder.size() > 2 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) ||
                          folder.rfind(L"\\\\", 0) == 0;
    if (absolute) return folder;
    PWSTR known = nullptr;
    folder.clear();
    if (SUCCEEDED(SHGetKnownFolderPath(id, flags, nullptr, &known))) folder = known;
    CoTaskMemFree(known);
    return folder;
}

}  // namespace

std::wstring LocalAppDataFolder() { return UserFolder(L"LOCALAPPDATA", FOLDERID_LocalAppData, 0); }

std::wstring RoamingAppDataFolder() { return UserFolder(L"APPDATA", FOLDERID_RoamingAppData, KF_FLAG_CREATE); }

std::wstring LocalDataFile(const wchar_t* name) {
    const std::wstring folder = LocalAppDataFolder();
    return folder.empty() ? folder : folder + L"\\Larkspan\\" + name;
}

}  // namespace lark::win
