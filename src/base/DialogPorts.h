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

// A program button's properties as the user edits them.
struct ProgramProperties {
    std::string name;
    std::string target;
    std::string arguments;
};

class IPropertiesDialog {
public:
    virtual ~IPropertiesDialog() = default;
    // Shows the values and the button's picture (its key in the button
    // pictures); the values as left on OK, or nullopt when cancelled.
    virtual std::optional<ProgramProperties> Edit(const ProgramProperties& values, const std::string& pictureKey) = 0;
};

}  // namespace lark
