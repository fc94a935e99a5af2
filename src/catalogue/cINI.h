#pragma once
// Reads and writes one INI file through the platform's profile functions.
// Holds only the path: every call goes to the file.
#include <string>

#include "catalogue/ProfileFile.h"

namespace lark {

class cINI {
public:
    explicit cINI(IProfileFile& profile) : profile_(profile) {}

    std::string GetVal(std::string Section, std::string Key) const;
    std::string GetSection(std::string Section) const;
    // The writing members answer False whatever the platform did: no caller
    // acts on the outcome of a catalogue write.
    bool Create(std::string Section, std::string Key, std::string Value);
    bool DeleteSection(std::string Section);
    bool DeleteKey(std::string Section, std::string Key);
    bool DeleteValue(std::string Section, std::string Key);

    void INIPath(std::string newINI) { path_ = std::move(newINI); }
    const std::string& INIPath() const { return path_; }

    static constexpr size_t kValueBuffer = 255;
    static constexpr size_t kSectionBuffer = 2048;

private:
    IProfileFile& profile_;
    std::string path_;
};

}  // namespace lark
