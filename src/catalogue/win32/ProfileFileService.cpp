#include "catalogue/win32/ProfileFileService.h"

#include <windows.h>

#include "app/win32/Text.h"

namespace lark::win {
namespace {

// Converts a NUL-separated ANSI buffer piece by piece, keeping the NULs.
std::string FromAnsiList(const std::string& ansi) {
    std::string out;
    size_t start = 0;
    while (start <= ansi.size()) {
        const size_t nul = ansi.find('\0', start);
        const size_t end = nul == std::string::npos ? ansi.size() : nul;
        out += FromAnsi(ansi.substr(start, end - start));
        if (nul == std::string::npos) break;
        out += '\0';
        start = nul + 1;
    }
    return out;
}

}  // namespace

size_t ProfileFileService::GetString(const std::string& section, const std::string& key,
                                     const std::string& fallback, std::string& buffer, size_t bufferSize,
                                     const std::string& path) {
    std::string ansi(bufferSize, '\0');
    const DWORD count = GetPrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(),
                                                 ToAnsi(fallback).c_str(), ansi.data(),
                                                 static_cast<DWORD>(bufferSize), ToAnsi(path).c_str());
    buffer = FromAnsiList(ansi);
    return count;
}

size_t ProfileFileService::GetSection(const std::string& section, std::string& buffer, size_t bufferSize,
                                      const std::string& path) {
    std::string ansi(bufferSize, '\0');
    const DWORD count = GetPrivateProfileSectionA(ToAnsi(section).c_str(), ansi.data(),
                                                  static_cast<DWORD>(bufferSize), ToAnsi(path).c_str());
    buffer = FromAnsiList(ansi);
    return count;
}

bool ProfileFileService::WriteString(const std::string& section, const std::optional<std::string>& key,
                                     const std::optional<std::string>& value, const std::string& path) {
    const std::string ansiKey = key ? ToAnsi(*key) : std::string();
    const std::string ansiValue = value ? ToAnsi(*value) : std::string();
    return WritePrivateProfileStringA(ToAnsi(section).c_str(), key ? ansiKey.c_str() : nullptr,
                                      value ? ansiValue.c_str() : nullptr, ToAnsi(path).c_str()) != 0;
}

}  // namespace lark::win
