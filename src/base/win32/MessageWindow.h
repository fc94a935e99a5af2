#pragma once
// A message-only window: what workers post and other processes send goes
// there, with no window on screen.
#include <windows.h>

#include "base/win32/Handles.h"

namespace lark::win {

// A window of its own class (registered on first use) whose procedure
// finds `object` in GWLP_USERDATA; null when it cannot be made.
UniqueWindow MakeMessageWindow(const wchar_t* className, WNDPROC procedure, void* object);

}  // namespace lark::win
