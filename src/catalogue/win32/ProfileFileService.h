#pragma once
// The profile-string functions of kernel32, with the catalogue's text in the
// ANSI code page on disk.
#include "catalogue/ProfileFile.h"

namespace lark::win {

class ProfileFileService : public IProfileFile {
public:
    size_t GetString(const std::string& section, const std::string& key, const std::string& fallback,
                     std::string& buffer, size_t bufferSize, const std::string& path) override;
    size_t GetSection(const std::string& section, std::string& buffer, size_t bufferSize,
                      const std::string& path) override;
    bool WriteString(const std::string& section, const std::optional<std::string>& key,
                     const std::optional<std::string>& value, const std::string& path) override;
};

}  // namespace lark::win
