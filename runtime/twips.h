#pragma once

namespace quenlo {

inline constexpr int kTwipsPerInch = 1440;

// Twips in pixels at `dpi` dots per inch, to the nearest pixel: 15 twips to
// a pixel at 96 dpi, 10 at 144.
constexpr int pixels(int twips, int dpi)
{
    return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

// The text size the user asked the desktop for, as a percentage of the
// usual one: a desktop font of `points` where `usual` is its default size.
// Never below 100, so a window is never smaller than at the usual size, and
// at most kMostTextPercent, past which it would no longer fit a screen.
inline constexpr int kMostTextPercent = 300;
constexpr int textpercent(double points, double usual)
{
    const double percent = points * 100 / usual;
    if (!(percent > 100))
        return 100;
    return percent >= kMostTextPercent ? kMostTextPercent : static_cast<int>(percent + 0.5);
}

// The dots per inch a window is laid out at for text `percent` of its usual
// size on a screen of `dpi`: twips and points alike grow by that much.
constexpr int scaleddpi(int dpi, int percent)
{
    return (dpi * percent + 50) / 100;
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
