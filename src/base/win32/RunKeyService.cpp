#include "base/win32/RunKeyService.h"

#include <windows.h>

#include "base/RuntimeError.h"
#include "base/win32/Handles.h"
#include "base/win32/Text.h"

namespace lark::win {

std::optional<std::string> RunKeyService::Read(const std::string& name) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return std::nullopt;
    UniqueKey key(raw);
    const std::wstring valueName = Widen(name);
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(size / sizeof(wchar_t));
    const size_t nul = value.find(L'\0');
    if (nul != std::wstring::npos) value.resize(nul);
    if (type == REG_EXPAND_SZ) {
        // An installer may write "%ProgramFiles%\...".
        const DWORD n = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
        std::wstring expanded(n, L'\0');
        if (n != 0 && ExpandEnvironmentStringsW(value.c_str(), expanded.data(), n) == n) {
            expanded.resize(n - 1);
            value = std::move(expanded);
        }
    }
    return Narrow(value);
}

void RunKeyService::Write(const std::string& name, const std::string& command) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                        nullptr) != ERROR_SUCCESS)
        Raise(kErrPermissionDenied);
    UniqueKey key(raw);
    const std::wstring text = Widen(command);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(key.get(), Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       bytes) != ERROR_SUCCESS)
        Raise(kErrPermissionDenied);
}

void RunKeyService::Remove(const std::string& name) {
    HKEY raw = nullptr;
    const LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_SET_VALUE, &raw);
    if (opened == ERROR_FILE_NOT_FOUND) return;
    if (opened != ERROR_SUCCESS) Raise(kErrPermissionDenied);
    UniqueKey key(raw);
    const LONG deleted = RegDeleteValueW(key.get(), Widen(name).c_str());
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) Raise(kErrPermissionDenied);
}

}  // namespace lark::win
