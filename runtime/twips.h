#pragma once

namespace quenlo {

inline constexpr int kTwipsPerInch = 1440;

// Twips in pixels at `dpi` dots per inch, to the nearest pixel: 15 twips to
// a pixel at 96 dpi, 10 at 144.
constexpr int pixels(int twips, int dpi)
{
    return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect &, const PixelRect &) = default;
};

constexpr PixelRect pixels(int left, int top, int width, int height, int dpi)
{
    return {pixels(left, dpi), pixels(top, dpi), pixels(width, dpi), pixels(height, dpi)};
}

} // namespace quenlo
