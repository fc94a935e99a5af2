#include "base/win32/Services.h"

#include <shlobj.h>

#include "base/RuntimeError.h"
#include "base/win32/Colours.h"
#include "base/win32/Handles.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

std::wstring SettingsKeyPath(const std::string& app, const std::string& section) {
    return L"Software\\" + Widen(app) + L"\\" + Widen(section);
}

// The run-time error a failed file call stands for.
[[noreturn]] void RaiseFileError(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND: Raise(kErrFileNotFound);
        case ERROR_PATH_NOT_FOUND: Raise(kErrPathNotFound);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: Raise(kErrPermissionDenied);
        case ERROR_INVALID_NAME: Raise(kErrBadFileName);
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT: Raise(kErrPermissionDenied);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: Raise(kErrDiskFull);
        case ERROR_FILENAME_EXCED_RANGE: Raise(kErrBadFileName);
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: Raise(kErrOutOfMemory);
        default: Raise(kErrPathFileAccess);
    }
}

}  // namespace

BoxAnswer MessageBoxService::Show(const std::string& text, const std::string& title, BoxIcon icon,
                                  BoxButtons buttons) {
    // Topmost, so a box is never hidden behind the topmost progress window
    // or the docked bar.
    UINT style = MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST;
    switch (icon) {
        case BoxIcon::Critical: style |= MB_ICONERROR; break;
        case BoxIcon::Question: style |= MB_ICONQUESTION; break;
        case BoxIcon::Exclamation: style |= MB_ICONWARNING; break;
        case BoxIcon::Information: style |= MB_ICONINFORMATION; break;
        case BoxIcon::None: break;
    }
    switch (buttons) {
        case BoxButtons::Ok: style |= MB_OK; break;
        case BoxButtons::OkCancel: style |= MB_OKCANCEL; break;
        case BoxButtons::YesNo: style |= MB_YESNO; break;
    }
    const ColouredMessageBoxes coloured;
    switch (MessageBoxW(nullptr, Widen(text).c_str(), Widen(title).c_str(), style)) {
        case IDCANCEL: return BoxAnswer::Cancel;
        case IDYES: return BoxAnswer::Yes;
        case IDNO: return BoxAnswer::No;
        default: return BoxAnswer::Ok;
    }
}

void MousePointerService::SetBusy() {
    busy_ = true;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void MousePointerService::SetDefault() {
    busy_ = false;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

std::optional<std::string> RegistrySettingsStore::Read(const std::string& app, const std::string& section,
                                                       const std::string& key) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath(app, section).c_str(), 0, KEY_QUERY_VALUE, &raw) !=
        ERROR_SUCCESS)
        return std::nullopt;
    UniqueKey hkey(raw);
    const std::wstring name = Widen(key);
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(hkey.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    // A stored value need not carry its terminating NUL.
    value.resize(size / sizeof(wchar_t));
    const size_t nul = value.find(L'\0');
    if (nul != std::wstring::npos) value.resize(nul);
    return Narrow(value);
}

void RegistrySettingsStore::Write(const std::string& app, const std::string& section, const std::string& key,
                                  const std::string& value) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath(app, section).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &raw, nullptr) != ERROR_SUCCESS)
        Raise(kErrPermissionDenied);
    UniqueKey hkey(raw);
    const std::wstring text = Widen(value);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(hkey.get(), Widen(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       bytes) != ERROR_SUCCESS)
        Raise(kErrPermissionDenied);
}

PointPx CursorService::Position() {
    POINT p{};
    if (!GetCursorPos(&p)) Raise(kErrInvalidCall);
    return PointPx{p.x, p.y};
}

bool FileSystemService::Exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FileSystemService::ReadBytes(const std::string& path) {
    UniqueFile file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD code = GetLastError();
        // A missing folder on the way is still a missing file to the user.
        RaiseFileError(code == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : code);
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) RaiseFileError(GetLastError());
    if (size.QuadPart > 0x7fffffff) Raise(kErrOutOfMemory);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        RaiseFileError(GetLastError());
    bytes.resize(read);
    return bytes;
}

void FileSystemService::SaveAtomically(const std::string& path, const std::string& bytes,
                                       const std::string& backupPath) {
    const std::wstring target = Widen(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) Raise(kErrPathFileAccess);
    // The user made it read-only: that is a refusal, whoever may write it.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) Raise(kErrPermissionDenied);

    const std::wstring temp = target + L".new";
    auto fail = [&](DWORD code) {
        DeleteFileW(temp.c_str());
        RaiseFileError(code);
    };
    {
        UniqueFile file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file) RaiseFileError(GetLastError());
        DWORD written = 0;
        if ((!bytes.empty() &&
             (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
              written != bytes.size())) ||
            !FlushFileBuffers(file.get())) {
            const DWORD code = GetLastError();
            file.reset();
            fail(code);
        }
    }
    if (!exists) {
        if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            fail(GetLastError());
        return;
    }
    const std::wstring backup = Widen(backupPath);
    if (!ReplaceFileW(target.c_str(), temp.c_str(), backup.empty() ? nullptr : backup.c_str(),
                      REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        const DWORD code = GetLastError();
        // The old file went to the backup name but the new one could not
        // take its place: the old one comes back.
        if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && !backup.empty())
            MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        fail(code);
    }
}

lark::FileStamp FileStampService::Stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return lark::FileStamp{};
    return lark::FileStamp{true, (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                     (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                         data.ftLastWriteTime.dwLowDateTime};
}

bool FileSystemService::CanCreateFilesIn(const std::string& folder) {
    const std::wstring probe = Widen(folder) + L"\\~larkspan-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    UniqueFile file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(file);
}

void FileSystemService::CreateFolder(const std::string& folder) {
    const std::wstring wide = Widen(folder);
    // A folder that is there, or whose parent is, needs no shell: loading
    // shell32 for it would cost every start that saves the picture cache.
    if (CreateDirectoryW(wide.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return;
    const int result = SHCreateDirectoryExW(nullptr, wide.c_str(), nullptr);
    if (result != ERROR_SUCCESS && result != ERROR_ALREADY_EXISTS && result != ERROR_FILE_EXISTS)
        RaiseFileError(static_cast<DWORD>(result));
}

std::string AnsiCodePageService::ToUtf8(std::string_view ansi) {
    if (ansi.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
    return Narrow(wide);
}

std::optional<std::string> AnsiCodePageService::FromUtf8(std::string_view utf8) {
    if (utf8.empty()) return std::string();
    const std::wstring wide = Widen(std::string(utf8));
    // A system set to UTF-8 holds every character.
    if (GetACP() == CP_UTF8) return Narrow(wide);
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), ansi.data(), n,
                        nullptr, &usedDefault);
    // Exact means the way back gives the same characters.
    if (usedDefault || Widen(ToUtf8(ansi)) != wide) return std::nullopt;
    return ansi;
}

std::wstring RunningProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace lark::win
