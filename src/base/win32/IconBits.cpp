#include "base/win32/IconBits.h"

#include <cstring>

namespace lark::win {
BITMAPINFO TopDownDib(int width, int height, WORD bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bits;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

bool PixelsFromIcon(HICON icon, int sizePx, IconPixels& pixels) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return false;
    UniqueBitmap colour(info.hbmColor);
    UniqueBitmap mask(info.hbmMask);
    BITMAP shape{};
    if (!colour || !mask || !GetObjectW(colour.get(), sizeof shape, &shape) || shape.bmWidth != sizePx ||
        shape.bmHeight != sizePx)
        return false;
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) return false;
    pixels.sizePx = sizePx;
    pixels.colour.assign(static_cast<size_t>(sizePx) * static_cast<size_t>(sizePx), 0);
    BITMAPINFO colourInfo = TopDownDib(sizePx, sizePx, 32);
    if (GetDIBits(dc.get(), colour.get(), 0, static_cast<UINT>(sizePx), pixels.colour.data(), &colourInfo,
                  DIB_RGB_COLORS) != sizePx)
        return false;
    // A 1-bit DIB's rows are padded to four bytes.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } maskInfo{TopDownDib(sizePx, sizePx, 1).bmiHeader, {}};
    const size_t stride = (static_cast<size_t>(sizePx) + 31) / 32 * 4;
    std::vector<uint8_t> rows(stride * static_cast<size_t>(sizePx));
    if (GetDIBits(dc.get(), mask.get(), 0, static_cast<UINT>(sizePx), rows.data(),
                  reinterpret_cast<BITMAPINFO*>(&maskInfo), DIB_RGB_COLORS) != sizePx)
        return false;
    pixels.mask.clear();
    for (int y = 0; y < sizePx; ++y)
        pixels.mask.insert(pixels.mask.end(), rows.begin() + static_cast<std::ptrdiff_t>(stride * y),
                           rows.begin() + static_cast<std::ptrdiff_t>(stride * y + IconPixels::MaskRowBytes(sizePx)));
    return pixels.Valid();
}

UniqueIcon IconFromPixels(const IconPixels& pixels) {
    if (!pixels.Valid()) return UniqueIcon();
    const int size = pixels.sizePx;
    BITMAPINFO info = TopDownDib(size, size, 32);
    void* bits = nullptr;
    UniqueBitmap colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits) return UniqueIcon();
    memcpy(bits, pixels.colour.data(), pixels.colour.size() * sizeof(uint32_t));
    // A monochrome bitmap's rows are padded to two bytes.
    const size_t stride = (static_cast<size_t>(size) + 15) / 16 * 2;
    std::vector<uint8_t> rows(stride * static_cast<size_t>(size), 0);
    for (int y = 0; y < size; ++y)
        memcpy(rows.data() + stride * static_cast<size_t>(y), pixels.mask.data() + IconPixels::MaskRowBytes(size) * y,
               IconPixels::MaskRowBytes(size));
    UniqueBitmap mask(CreateBitmap(size, size, 1, 1, rows.data()));
    if (!mask) return UniqueIcon();
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmColor = colour.get();
    icon.hbmMask = mask.get();
    return UniqueIcon(CreateIconIndirect(&icon));
}

}  // namespace lark::win
