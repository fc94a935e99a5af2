#pragma once
// The logon Run list of the current user in the registry.
#include <string>

#include "base/RunKey.h"

namespace lark::win {

class RunKeyService : public IRunKey {
public:
    // A key below HKEY_CURRENT_USER; tests name a scratch key of their own.
    explicit RunKeyService(std::wstring keyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run")
        : keyPath_(std::move(keyPath)) {}

    std::optional<std::string> Read(const std::string& name) override;
    void Write(const std::string& name, const std::string& command) override;
    void Remove(const std::string& name) override;

private:
    std::wstring keyPath_;
};


}  // namespace lark::win
