#include "dialogs/win32/RegistryReader.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/win32/Text.h"

namespace lark::win {
namespace {

HKEY ToHandle(IRegistryReader::Key key) { return reinterpret_cast<HKEY>(key); }

HKEY RootHandle(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

bool RegistryReader::Open(RegistryRoot root, const std::string& keyName, Key& key) {
    // Reading is all that is asked: a user without administrator rights
    // must be able to open machine-wide keys too.
    HKEY opened = nullptr;
    if (RegOpenKeyExW(RootHandle(root), Widen(keyName).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    key = reinterpret_cast<Key>(opened);
    return true;
}

bool RegistryReader::Query(Key key, const std::string& valueName, uint32_t& type, std::string& buffer,
                           uint32_t& size) {
    // Room for as many UTF-16 units as the caller has bytes, so text fits
    // when its characters would fit one byte each.
    std::vector<BYTE> data(buffer.size() * sizeof(wchar_t));
    DWORD bytes = static_cast<DWORD>(data.size());
    DWORD storedType = REG_NONE;
    if (RegQueryValueExW(ToHandle(key), Widen(valueName).c_str(), nullptr, &storedType, data.data(), &bytes) !=
        ERROR_SUCCESS)
        return false;
    std::string value;
    if (IsText(storedType)) {
        std::wstring text(bytes / sizeof(wchar_t), L'\0');
        std::copy_n(data.data(), text.size() * sizeof(wchar_t), reinterpret_cast<BYTE*>(text.data()));
        value = Narrow(text);
    } else {
        value.assign(reinterpret_cast<const char*>(data.data()), bytes);
    }
    if (value.size() > buffer.size()) return false;
    buffer.replace(0, value.size(), value);
    type = storedType;
    size = static_cast<uint32_t>(value.size());
    return true;
}

void RegistryReader::Close(Key key) { RegCloseKey(ToHandle(key)); }

}  // namespace lark::win
