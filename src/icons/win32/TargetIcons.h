#pragma once
// The picture of a button's target, on any thread: a program's or file's
// first icon; for an address, the picture Windows gives its scheme; for an
// internet shortcut, the picture it names; the program's web picture for
// the last two where there is none.
#include <windows.h>

#include <string>

#include "base/win32/Handles.h"

namespace lark::win {

// Null where the target gives no picture (a missing file, no icon in it).
UniqueIcon ExtractTargetIcon(const std::wstring& target, int sizePx);

// The icon of a file at an index, or of a resource id when negative.
UniqueIcon ExtractIconAt(const std::wstring& file, int index, int sizePx);

}  // namespace lark::win
