#include "icons/win32/TargetIcons.h"

#include "base/RuntimeError.h"
#include "base/Shortcuts.h"
#include "base/Unicode.h"
#include "base/win32/Dpi.h"
#include "base/win32/Handles.h"
#include "base/win32/Services.h"
#include "base/win32/Text.h"
#include "icons/PictureQueue.h"
#include "icons/win32/PictureWorker.h"

namespace lark::win {
namespace {

UniqueIcon WebIcon(int sizePx) { return LoadIconAtSize(GetModuleHandleW(nullptr), L"WEB", sizePx); }

std::wstring Expanded(const std::wstring& path) {
    const DWORD length = ExpandEnvironmentStringsW(path.c_str(), nullptr, 0);
    if (length == 0) return path;
    std::wstring out(length, L'\0');
    if (ExpandEnvironmentStringsW(path.c_str(), out.data(), length) == 0) return path;
    out.resize(length - 1);
    return out;
}

// A text value of a registry key, empty when it has none. Read directly, not
// through AssocQueryStringW: Wine's closes a key of its own twice, and on a
// worker thread the second close can take a handle another thread has just
// been given (the bar's drop target then failed to register and crashed).
std::wstring RegistryText(HKEY root, const std::wstring& key, const wchar_t* name) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return {};
    const UniqueKey opened(raw);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(raw, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes == 0)
        return {};
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(raw, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) != ERROR_SUCCESS)
        return {};
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

// The picture of a registered class: its own, else that of the program its
// default verb starts.
UniqueIcon ClassIcon(const std::wstring& name, int sizePx) {
    const std::wstring icon = RegistryText(HKEY_CLASSES_ROOT, name + L"\\DefaultIcon", nullptr);
    if (!icon.empty()) {
        const IconLocation at = ParseIconLocation(Narrow(icon));
        if (UniqueIcon found = ExtractIconAt(Expanded(Widen(at.file)), at.index, sizePx)) return found;
    }
    std::wstring verb = RegistryText(HKEY_CLASSES_ROOT, name + L"\\shell", nullptr);
    if (verb.empty()) verb = L"open";
    const std::wstring command = RegistryText(HKEY_CLASSES_ROOT, name + L"\\shell\\" + verb + L"\\command", nullptr);
    const std::string program = CommandProgram(Narrow(command));
    if (!program.empty())
        if (UniqueIcon found = ExtractFirstIcon(Expanded(Widen(program)), sizePx)) return found;
    return UniqueIcon();
}

// The picture Windows shows for a scheme: that of the program the user
// chose for it where the system keeps that choice (Windows 8 on), else the
// scheme's own.
UniqueIcon SchemeIcon(const std::wstring& scheme, int sizePx) {
    const std::wstring chosen = RegistryText(
        HKEY_CURRENT_USER,
        L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\" + scheme + L"\\UserChoice",
        L"ProgId");
    if (!chosen.empty())
        if (UniqueIcon found = ClassIcon(chosen, sizePx)) return found;
    return ClassIcon(scheme, sizePx);
}

bool EndsWithUrl(const std::wstring& path) {
    return path.size() > 4 && EqualsIgnoreCase(Narrow(path.substr(path.size() - 4)), ".url");
}

UniqueIcon ShortcutIcon(const std::wstring& file, int sizePx) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return UniqueIcon();
    std::string bytes;
    FileSystemService files;
    AnsiCodePageService ansi;
    Guard([&] { bytes = files.ReadBytes(Narrow(file)); });
    const std::optional<IconLocation> named = InternetShortcutIcon(bytes, ansi);
    // A picture on another machine is not fetched for a bar's button.
    if (named && !IsNetworkPath(named->file, IsRemoteDrive))
        if (UniqueIcon icon = ExtractIconAt(Expanded(Widen(named->file)), named->index, sizePx)) return icon;
    return WebIcon(sizePx);
}

}  // namespace

UniqueIcon ExtractIconAt(const std::wstring& file, int index, int sizePx) {
    HICON icon = nullptr;
    UINT id = 0;
    const UINT extracted = PrivateExtractIconsW(file.c_str(), index, sizePx, sizePx, &icon, &id, 1, 0);
    // On failure the output may hold garbage: trust it only on success.
    return UniqueIcon(extracted == 1 ? icon : nullptr);
}

UniqueIcon ExtractTargetIcon(const std::wstring& target, int sizePx) {
    if (const std::optional<std::string> scheme = UrlScheme(Narrow(target))) {
        if (UniqueIcon icon = SchemeIcon(Widen(*scheme), sizePx)) return icon;
        return WebIcon(sizePx);
    }
    if (EndsWithUrl(target)) return ShortcutIcon(target, sizePx);
    return ExtractFirstIcon(target, sizePx);
}

}  // namespace lark::win
