#pragma once
// The real platform services behind the core's interfaces.
#include <windows.h>

#include "app/FileSystem.h"
#include "app/Settings.h"
#include "app/UiPorts.h"
#include "bar/BarArrangement.h"

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
    void WriteAll(const std::string& path, const std::string& bytes) override;
    std::string ReadText(const std::string& path) override;
};

}  // namespace lark::win
