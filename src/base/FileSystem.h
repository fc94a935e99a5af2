#pragma once
// Whole-file access as the rules need it. Paths are UTF-8; contents are the
// bytes on disk.
#include <string>

namespace lark {

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    virtual bool Exists(const std::string& path) = 0;
    // Throws RuntimeError (53 when the file is missing).
    virtual std::string ReadBytes(const std::string& path) = 0;
    // Replaces the file with exactly these bytes in one step: they are
    // written and flushed beside it first, then swapped in, so a failure or
    // a crash leaves either the old file or the new one. The old file stays
    // as backupPath unless that is empty. A read-only file is refused.
    // Throws RuntimeError; the file is then as it was.
    virtual void SaveAtomically(const std::string& path, const std::string& bytes, const std::string& backupPath) = 0;
    // Whether a file can be created in the folder, found out by creating one.
    virtual bool CanCreateFilesIn(const std::string& folder) = 0;
    // Creates the folder and any missing folders above it; throws RuntimeError.
    virtual void CreateFolder(const std::string& folder) = 0;
};

}  // namespace lark
