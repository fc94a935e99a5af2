#include "bar/BarFocus.h"

namespace lark {

void BarFocus::HotkeyPressed() {
    const uintptr_t foreground = windows_.Foreground();
    if (foreground != 0 && windows_.IsBar(foreground)) {
        HandBack();
        return;
    }
    previous_ = foreground;
    windows_.BringBarForward();
}

void BarFocus::Leave() { HandBack(); }

void BarFocus::Summon() {
    const uintptr_t foreground = windows_.Foreground();
    if (foreground != 0 && !windows_.IsBar(foreground)) previous_ = foreground;
    windows_.BringBarForward();
}

void BarFocus::Deactivated() {
    previous_ = 0;
    windows_.ReleaseBar();
}

void BarFocus::HandBack() {
    const uintptr_t previous = previous_;
    previous_ = 0;
    windows_.ReleaseBar();
    if (previous != 0 && windows_.Exists(previous)) windows_.Activate(previous);
}

}  // namespace lark
