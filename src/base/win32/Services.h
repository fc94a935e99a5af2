#pragma once
// The real platform services behind the core's interfaces.
#include <windows.h>

#include "base/BarForms.h"
#include "base/FileSystem.h"
#include "base/SettingsStore.h"
#include "base/TextFile.h"
#include "base/UiPorts.h"

namespace lark::win {

class MessageBoxService : public IMessageBox {
public:
    BoxAnswer Show(const std::string& text, const std::string& title, BoxIcon icon, BoxButtons buttons) override;
};

class MousePointerService : public IMousePointer {
public:
    void SetBusy() override;
    void SetDefault() override;
    bool Busy() const override { return busy_; }

private:
    bool busy_ = false;
};

// HKEY_CURRENT_USER\Software\<app>\<section>, one REG_SZ value per key.
class RegistrySettingsStore : public ISettingsStore {
public:
    std::optional<std::string> Read(const std::string& app, const std::string& section,
                                    const std::string& key) override;
    void Write(const std::string& app, const std::string& section, const std::string& key,
               const std::string& value) override;
};

class CursorService : public ICursor {
public:
    PointPx Position() override;
};

class FileSystemService : public IFileSystem {
public:
    bool Exists(const std::string& path) override;
    std::string ReadBytes(const std::string& path) override;
    void SaveAtomically(const std::string& path, const std::string& bytes, const std::string& backupPath) override;
    bool CanCreateFilesIn(const std::string& folder) override;
    void CreateFolder(const std::string& folder) override;
};

class FileStampService : public IFileStamps {
public:
    lark::FileStamp Stamp(const std::string& path) override;
};

// The system's ANSI code page; a character without an exact form there
// (no best-fit look-alike, no default character) does not fit.
class AnsiCodePageService : public IAnsiCodePage {
public:
    std::string ToUtf8(std::string_view ansi) override;
    std::optional<std::string> FromUtf8(std::string_view utf8) override;
};

// The full path of the running program, however long.
std::wstring RunningProgramPath();

}  // namespace lark::win
