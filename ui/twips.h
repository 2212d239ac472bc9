#pragma once

#include <QRect>
#include <QSize>

namespace quenlo {

// The window is laid out in twips (1440 to the inch) and shown at 15 twips
// to a pixel, the 96-dpi ratio; Qt scales the pixels for high-dpi screens.
inline constexpr int kTwipsPerPixel = 15;

constexpr int pixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

constexpr QRect twips(int left, int top, int width, int height)
{
    return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

constexpr QSize twips(int width, int height) { return {pixels(width), pixels(height)}; }

} // namespace quenlo
