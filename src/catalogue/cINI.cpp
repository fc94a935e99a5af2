#include "catalogue/cINI.h"

namespace lark {

std::string cINI::GetVal(std::string Section, std::string Key) const {
    std::string buffer(kValueBuffer, '\0');
    const size_t count = profile_.GetString(Section, Key, "", buffer, kValueBuffer, path_);
    if (count == 0) return {};
    return buffer.substr(0, buffer.find('\0'));
}

std::string cINI::GetSection(std::string Section) const {
    std::string buffer(kSectionBuffer, '\0');
    const size_t count = profile_.GetSection(Section, buffer, kSectionBuffer, path_);
    if (count == 0) return {};
    // Keep every entry's own NUL, drop the list's closing one.
    const size_t pair = buffer.find(std::string(2, '\0'));
    return pair == std::string::npos ? buffer : buffer.substr(0, pair + 1);
}

bool cINI::Create(std::string Section, std::string Key, std::string Value) {
    profile_.WriteString(Section, Key, Value, path_);
    return false;
}

bool cINI::DeleteSection(std::string Section) {
    profile_.WriteString(Section, std::nullopt, std::nullopt, path_);
    return false;
}

bool cINI::DeleteKey(std::string Section, std::string Key) {
    profile_.WriteString(Section, Key, std::nullopt, path_);
    return false;
}

bool cINI::DeleteValue(std::string Section, std::string Key) {
    profile_.WriteString(Section, Key, std::string(), path_);
    return false;
}

}  // namespace lark
