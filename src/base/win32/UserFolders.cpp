#include "base/win32/UserFolders.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

namespace lark::win {

std::wstring LocalAppDataFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", folder.data(), MAX_PATH);
    folder.resize(length < MAX_PATH ? length : 0);
    // A relative value would follow the current folder.
    const bool absolute = (folder.size() > 2 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) ||
                          folder.rfind(L"\\\\", 0) == 0;
    if (absolute) return folder;
    PWSTR known = nullptr;
    folder.clear();
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known))) folder = known;
    CoTaskMemFree(known);
    return folder;
}

std::wstring LocalDataFile(const wchar_t* name) {
    const std::wstring folder = LocalAppDataFolder();
    return folder.empty() ? folder : folder + L"\\Larkspan\\" + name;
}

}  // namespace lark::win
