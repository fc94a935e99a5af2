#pragma once
// Shortcuts in the user's Send To folder.
#include <string>

#include "base/SendToFolder.h"

namespace lark::win {

class SendToService : public ISendToFolder {
public:
    // The user's Send To folder; tests name a scratch folder of their own.
    explicit SendToService(std::wstring folder = {}) : folder_(std::move(folder)) {}

    std::optional<LinkTarget> Read(const std::string& name) override;
    void Write(const std::string& name, const LinkTarget& link) override;
    void Remove(const std::string& name) override;

private:
    std::wstring PathOf(const std::string& name) const;

    std::wstring folder_;
};

}  // namespace lark::win
