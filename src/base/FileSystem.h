#pragma once
// Whole-file access as the rules need it. Paths are UTF-8; contents are the
// bytes on disk.
#include <cstdint>
#include <string>
#include <string_view>

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

// What a glance at a file tells without reading it.
struct FileStamp {
    bool exists = false;
    uint64_t size = 0;
    uint64_t writeTime = 0;  // the platform's units
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

class IFileStamps {
public:
    virtual ~IFileStamps() = default;
    // Never raises: a file that cannot be looked at does not exist.
    virtual FileStamp Stamp(const std::string& path) = 0;
};

// Hears of every save before and after it happens (after only when it
// succeeded).
class ISaveObserver {
public:
    virtual ~ISaveObserver() = default;
    virtual void BeforeSave(const std::string& path) = 0;
    virtual void AfterSave(const std::string& path, std::string_view bytes) = 0;
};

// The files as they are, with every save told to an observer: the
// catalogue's follower learns of the bar's own saves this way.
class ObservedFileSystem : public IFileSystem {
public:
    explicit ObservedFileSystem(IFileSystem& inner) : inner_(inner) {}
    void Observe(ISaveObserver* observer) { observer_ = observer; }

    bool Exists(const std::string& path) override { return inner_.Exists(path); }
    std::string ReadBytes(const std::string& path) override { return inner_.ReadBytes(path); }
    void SaveAtomically(const std::string& path, const std::string& bytes, const std::string& backupPath) override {
        if (observer_) observer_->BeforeSave(path);
        inner_.SaveAtomically(path, bytes, backupPath);
        if (observer_) observer_->AfterSave(path, bytes);
    }
    bool CanCreateFilesIn(const std::string& folder) override { return inner_.CanCreateFilesIn(folder); }
    void CreateFolder(const std::string& folder) override { inner_.CreateFolder(folder); }

private:
    IFileSystem& inner_;
    ISaveObserver* observer_ = nullptr;
};

}  // namespace lark
