#pragma once
// A program button's Properties: its picture, name, target (typed or found
// with Browse) and arguments, OK and Cancel.
#include <windows.h>

#include <functional>

#include "base/DialogPorts.h"
#include "base/win32/Handles.h"
#include "base/win32/KeyedImageList.h"

namespace lark::win {

class PropertiesDialog : public IPropertiesDialog {
public:
    // Pictures are taken from the list of the bar's icon size, which the
    // Options may change while the program runs.
    using Pictures = std::function<const KeyedImageList&()>;
    explicit PropertiesDialog(Pictures pictures) : pictures_(std::move(pictures)) {}

    std::optional<ProgramProperties> Edit(const ProgramProperties& values, const std::string& pictureKey) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam);
    void ShowPicture(HWND dialog, UniqueIcon icon);
    void Browse(HWND dialog);

    Pictures pictures_;
    ProgramProperties values_;
    std::string pictureKey_;
    UniqueIcon picture_;
};

}  // namespace lark::win
