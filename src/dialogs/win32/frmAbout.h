#pragma once
// The About box. While a catalogue loads or a folder is imported it serves
// as the progress window: the bar visible, its buttons disabled, not modal.
#include "app/win32/Form.h"
#include "dialogs/ProgressWindow.h"

namespace lark::win {

class frmAbout : public Form, public IProgressWindow {
public:
    frmAbout(FormRegistry& registry, HICON icon) : Form(registry), icon_(icon) {}

    void ShowProgress(int32_t maximum) override;
    void SetProgress(int32_t value) override;
    void Unload() override { Form::Unload(); }

    HWND ProgressBar1() const { return progress_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Load();

    HICON icon_;
    HWND progress_ = nullptr;
    HWND cmdOK_ = nullptr;
    HWND cmdSysInfo_ = nullptr;
    HWND lblTitle_ = nullptr;
    unsigned long long lastProgressTick_ = 0;
};

}  // namespace lark::win
