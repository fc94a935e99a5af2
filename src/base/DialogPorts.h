#pragma once
// The user-facing dialogs the editing commands ask through.
#include <optional>
#include <string>

namespace lark {

class IInputBox {
public:
    virtual ~IInputBox() = default;
    // The text typed, or nullopt when cancelled.
    virtual std::optional<std::string> Ask(const std::string& prompt, const std::string& title,
                                           const std::string& defaultText) = 0;
};

class IFileDialog {
public:
    virtual ~IFileDialog() = default;
    // filter: "Name|pattern|Name|pattern|..."; filterIndex counts from 1.
    // The chosen file (which must exist), or nullopt when cancelled.
    virtual std::optional<std::string> OpenFile(const std::string& title, const std::string& filter,
                                                int filterIndex) = 0;
};

}  // namespace lark
