#pragma once
// Icons to and from the pixels that can be kept and handed between threads.
#include <windows.h>

#include "base/IconPixels.h"
#include "base/win32/Handles.h"

namespace lark::win {

// The header of a top-down DIB of this size and depth.
BITMAPINFO TopDownDib(int width, int height, WORD bits);

// An icon's colour and mask; false for an icon of another size or without
// colour.
bool PixelsFromIcon(HICON icon, int sizePx, IconPixels& pixels);
// The icon back from its colour and mask.
UniqueIcon IconFromPixels(const IconPixels& pixels);

}  // namespace lark::win
