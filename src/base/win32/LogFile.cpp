#include "base/win32/LogFile.h"

#include <cstdio>

#include "base/win32/Handles.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

std::string Stamp() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u  ", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return text;
}

UniqueFile OpenForAppending(const std::wstring& path) {
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    return UniqueFile(
        CreateFileW(path.c_str(), FILE_APPEND_DATA, kShare, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

const std::wstring& LogFile::Path() {
    if (!found_) {
        found_ = true;
        if (findPath_) path_ = findPath_();
    }
    return path_;
}

std::wstring LogFile::OldPath(const std::wstring& path) {
    const size_t dot = path.rfind(L'.');
    const size_t slash = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return path + L".old";
    return path.substr(0, dot) + L".old" + path.substr(dot);
}

void LogFile::Write(const std::string& line) {
    const std::wstring& path = Path();
    if (path.empty()) return;
    std::string text = Stamp() + line;
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    text += "\r\n";
    const size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos) CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    UniqueFile file = OpenForAppending(path);
    if (!file) return;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
        static_cast<uint64_t>(size.QuadPart) + text.size() > limit_) {
        file.reset();
        MoveFileExW(path.c_str(), OldPath(path).c_str(), MOVEFILE_REPLACE_EXISTING);
        file = OpenForAppending(path);
        if (!file) return;
    }
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace lark::win
