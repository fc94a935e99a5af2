#pragma once
// Twips, pixels and dots per inch. A twip is 1/1440 inch; a screen of d DPI
// has exactly 1440 / d twips per pixel (15 at 96, 8 4/7 at 168), a ratio
// kept exact here so that stored twips mean the same at every DPI.
#include <cstdint>

namespace lark {

inline constexpr int32_t kTwipsPerInch = 1440;
inline constexpr int32_t kBaseDpi = 96;

class TwipsPerPixel {
public:
    // Raises 5 (invalid call) for a DPI that is not positive.
    explicit TwipsPerPixel(int32_t dpi = kBaseDpi);

    int32_t Dpi() const { return dpi_; }
    double Value() const { return static_cast<double>(kTwipsPerInch) / dpi_; }

    // Twips to pixels with the fraction dropped, as whole-number division does.
    int32_t Pixels(int64_t twips) const;
    // Twips to the nearest pixel: a place that went from pixels to twips comes
    // back to the same pixel.
    int32_t NearestPixels(int64_t twips) const;
    // Pixels to whole twips, halves to even.
    int32_t Twips(int64_t pixels) const;

    bool operator==(const TwipsPerPixel& other) const { return dpi_ == other.dpi_; }

private:
    int32_t dpi_;
};

// The pixels of both axes.
struct TwipScale {
    TwipsPerPixel x;
    TwipsPerPixel y;
};

// A length given for 96 DPI at another DPI, to the nearest pixel.
int32_t ScalePx(int32_t pixelsAt96, int32_t dpi);

// Edge length of a button picture: 16, 20, 24 or 32 pixels for small
// pictures and twice that for large, the largest that does not exceed the
// DPI's share of 16 or 32 (never below 16 or 32).
int32_t PictureSizePx(bool large, int32_t dpi);

}  // namespace lark
