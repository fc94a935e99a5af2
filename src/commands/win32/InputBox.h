#pragma once
// A small modal input box: prompt, title, default text, OK and Cancel.
#include <windows.h>

#include "base/DialogPorts.h"

namespace lark::win {

class InputBox : public IInputBox {
public:
    std::optional<std::string> Ask(const std::string& prompt, const std::string& title,
                                   const std::string& defaultText) override;
};

class FileDialog : public IFileDialog {
public:
    std::optional<std::string> OpenFile(const std::string& title, const std::string& filter,
                                        int filterIndex) override;
};

}  // namespace lark::win
