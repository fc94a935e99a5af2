#pragma once
// Whole-file access as the rules need it. Paths are UTF-8.
#include <string>

namespace lark {

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    virtual bool Exists(const std::string& path) = 0;
    // Creates or replaces the file with exactly these bytes; throws RuntimeError.
    virtual void WriteAll(const std::string& path, const std::string& bytes) = 0;
    // The whole text file, stored in the ANSI code page, as UTF-8; throws
    // RuntimeError (53 when it is missing).
    virtual std::string ReadText(const std::string& path) = 0;
};

}  // namespace lark
