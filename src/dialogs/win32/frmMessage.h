#pragma once
// Tells the user that a screen edge holds one auto-hide bar at most.
#include <string>

#include "base/BarForms.h"
#include "base/UiPorts.h"
#include "base/win32/Form.h"
#include "base/win32/Handles.h"

namespace lark::win {

class frmMessage : public Form, public IEdgeTakenMessage {
public:
    frmMessage(FormRegistry& registry, IMousePointer& pointer) : Form(registry), pointer_(pointer) {}

    // Loads the window afresh when it is not loaded, and shows it modeless.
    void Show() override;

    static std::wstring Text();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();

    IMousePointer& pointer_;
    UINT dpi_ = 96;
    UniqueFont font_;
    UniqueIcon icon_;
};

}  // namespace lark::win
