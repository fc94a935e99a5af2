#include "icons/win32/TargetIcons.h"

#include <shlwapi.h>


#include "base/Shortcuts.h"
#include "base/Unicode.h"
#include "base/win32/Dpi.h"
#include "base/win32/Services.h"
#include "base/win32/SystemLibrary.h"
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

// An association's text for a scheme, empty when it has none.
std::wstring Associated(const std::wstring& scheme, ASSOCSTR what, ASSOCF flags) {
    using Query = HRESULT(WINAPI*)(ASSOCF, ASSOCSTR, LPCWSTR, LPCWSTR, LPWSTR, DWORD*);
    static const Query query = SystemFunction<Query>(L"shlwapi.dll", "AssocQueryStringW");
    DWORD length = 0;
    if (query(flags, what, scheme.c_str(), nullptr, nullptr, &length) != S_FALSE || length == 0) return {};
    std::wstring text(length, L'\0');
    if (FAILED(query(flags, what, scheme.c_str(), nullptr, text.data(), &length))) return {};
    text.resize(wcslen(text.c_str()));
    return text;
}

// The picture Windows shows for a scheme: its own, else that of the program
// that opens it. The user's choice of program counts where the system
// knows protocols apart (Windows 8 on).
UniqueIcon SchemeIcon(const std::wstring& scheme, int sizePx) {
    constexpr ASSOCF kIsProtocol = 0x00001000;
    const ASSOCF tries[] = {kIsProtocol, ASSOCF_NONE};
    for (const ASSOCF flags : tries) {
        const std::wstring icon = Associated(scheme, ASSOCSTR_DEFAULTICON, flags);
        if (!icon.empty()) {
            const IconLocation at = ParseIconLocation(Narrow(icon));
            if (UniqueIcon found = ExtractIconAt(Expanded(Widen(at.file)), at.index, sizePx)) return found;
        }
        const std::wstring program = Associated(scheme, ASSOCSTR_EXECUTABLE, flags);
        if (!program.empty())
            if (UniqueIcon found = ExtractFirstIcon(Expanded(program), sizePx)) return found;
    }
    return UniqueIcon();
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
