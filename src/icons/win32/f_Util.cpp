#include "icons/win32/f_Util.h"

#include "app/RuntimeError.h"

namespace lark::win {

void DrawingSurface::Resize(int pixels) {
    Release();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels;
    info.bmiHeader.biHeight = -pixels;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc.reset(CreateCompatibleDC(nullptr));
    bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bitmap) Raise(kErrOutOfMemory);
    original = SelectObject(dc.get(), bitmap.get());
    sizePx = pixels;
}

void DrawingSurface::Release() {
    if (dc && original) SelectObject(dc.get(), original);
    original = nullptr;
    bitmap.reset();
    dc.reset();
    sizePx = 0;
}

f_Util::~f_Util() {
    picLarge_.Release();
    picSmall_.Release();
}

void f_Util::Load() {
    if (Loaded()) return;
    CreateFormWindow(WindowSpec{L"LarkspanUtil", WS_POPUP, WS_EX_TOOLWINDOW, L"Larkspan utility", RECT{0, 0, 0, 0}});
}

void f_Util::SizeDrawingSurfaces() {
    // Whatever the DPI, pictures are drawn at their nominal pixel sizes.
    picLarge_.Resize(32);
    picSmall_.Resize(16);
}

}  // namespace lark::win
