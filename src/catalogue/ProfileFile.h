#pragma once
// The platform's profile-string functions, as cINI uses them. Text is UTF-8
// here; the Win32 implementation converts to the ANSI code page at the call.
#include <optional>
#include <string>

namespace lark {

class IProfileFile {
public:
    virtual ~IProfileFile() = default;
    // Fills at most bufferSize characters including the terminating NUL(s);
    // returns the count the platform answers and the buffer as filled.
    virtual size_t GetString(const std::string& section, const std::string& key,
                             const std::string& fallback, std::string& buffer, size_t bufferSize,
                             const std::string& path) = 0;
    virtual size_t GetSection(const std::string& section, std::string& buffer, size_t bufferSize,
                              const std::string& path) = 0;
    // A missing key removes the section; a missing value removes the key.
    virtual bool WriteString(const std::string& section, const std::optional<std::string>& key,
                             const std::optional<std::string>& value, const std::string& path) = 0;
};

}  // namespace lark
