#include "base/Scale.h"

#include "base/RuntimeError.h"

namespace lark {
namespace {

// a / b rounded to the nearest whole number, halves to even; b > 0.
int64_t DivideHalfEven(int64_t a, int64_t b) {
    int64_t q = a / b;
    int64_t r = a % b;
    if (r < 0) {  // floor division, so the remainder is never negative
        --q;
        r += b;
    }
    if (2 * r > b || (2 * r == b && (q % 2) != 0)) ++q;
    return q;
}

int32_t Narrow32(int64_t value) {
    if (value > INT32_MAX || value < INT32_MIN) Raise(kErrOverflow);
    return static_cast<int32_t>(value);
}

}  // namespace

TwipsPerPixel::TwipsPerPixel(int32_t dpi) : dpi_(dpi) {
    if (dpi <= 0) Raise(kErrInvalidCall);
}

int32_t TwipsPerPixel::Pixels(int64_t twips) const { return Narrow32(twips * dpi_ / kTwipsPerInch); }

int32_t TwipsPerPixel::NearestPixels(int64_t twips) const {
    return Narrow32(DivideHalfEven(twips * dpi_, kTwipsPerInch));
}

int32_t TwipsPerPixel::Twips(int64_t pixels) const { return Narrow32(DivideHalfEven(pixels * kTwipsPerInch, dpi_)); }

int32_t ScalePx(int32_t pixelsAt96, int32_t dpi) {
    return Narrow32(DivideHalfEven(static_cast<int64_t>(pixelsAt96) * dpi, kBaseDpi));
}

int32_t PictureSizePx(bool large, int32_t dpi) {
    static constexpr int32_t kSmall[] = {16, 20, 24, 32};
    const int64_t wanted = 16 * static_cast<int64_t>(dpi);  // times 96
    int32_t size = kSmall[0];
    for (int32_t candidate : kSmall)
        if (static_cast<int64_t>(candidate) * kBaseDpi <= wanted) size = candidate;
    return large ? 2 * size : size;
}

}  // namespace lark
