#pragma once
// The About box in its second role: the progress display of long loads.
#include <cstdint>

namespace lark {

class IProgressWindow {
public:
    virtual ~IProgressWindow() = default;
    // Progress from 0 to maximum at 0, the bar visible, OK and System Info
    // disabled, the window shown without being modal.
    virtual void ShowProgress(int32_t maximum) = 0;
    virtual void SetProgress(int32_t value) = 0;
    // Closes the window (nothing happens when it is not shown).
    virtual void Unload() = 0;
};

}  // namespace lark
