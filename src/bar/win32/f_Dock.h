#pragma once
// The docked bar: the appbar window at the top or bottom screen edge. It
// carries the same sections and buttons as the floating window.
#include "bar/win32/BarForm.h"

namespace lark::win {

class f_Dock : public BarForm {
public:
    f_Dock(FormRegistry& registry, App& app, BarImageLists lists) : BarForm(registry, app, lists) {}

    // Loads the window without showing it and prepares its appbar record.
    void Load();
    void Hide();

    // The message the shell's appbar notifications arrive with.
    static constexpr UINT kAppBarCallback = WM_APP + 1;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUnload(bool& cancel) override;
};

}  // namespace lark::win
