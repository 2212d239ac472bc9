#pragma once

#include "win32api.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quenlo {

// A GDI font, deleted with the object.
class Font {
public:
    Font() = default;
    explicit Font(HFONT font)
        : font_(font)
    {
    }
    Font(Font &&other) noexcept
        : font_(std::exchange(other.font_, nullptr))
    {
    }
    Font &operator=(Font &&other) noexcept
    {
        std::swap(font_, other.font_);
        return *this;
    }
    ~Font()
    {
        if (font_)
            ::DeleteObject(font_);
    }
    HFONT get() const { return font_; }

private:
    HFONT font_ = nullptr;
};

// Font height in pixels for a size in points at `dpi`; negative, as
// LOGFONT takes a character height.
int fontheight(double points, int dpi);

Font makefont(const std::wstring &face, double points, bool bold, int dpi);

// The face a control's own font is drawn in at `dpi`. "MS Sans Serif" is a
// bitmap font, drawn only in the sizes made for 96 dpi; at any other DPI its
// TrueType successor "Microsoft Sans Serif" takes its place, as Windows
// does for dialogs.
std::wstring faceatdpi(const std::wstring &face, int dpi);

// The first of `faces` that the system has, or the last when it has none.
std::wstring availableface(HDC dc, std::span<const std::wstring> faces);

// `text` broken at spaces into the fewest lines no wider than `width`, one
// word after another, each measured by DrawText in the font selected into
// `dc`; nothing when a word alone is wider. A label that wraps is shown in
// these lines, since DrawText's own wrapping may let a line end past its box
// (Wine lets a full stop hang over).
std::optional<std::vector<std::wstring>> wrapwords(HDC dc, std::wstring_view text, int width, UINT format = 0);

// A text and the box it has to fit in, on one line or wrapped at the box's
// width; `padding` is what the control keeps around its text on each side.
// A '&' marks an access key unless `prefix` is off.
struct TextBox {
    std::wstring text;
    int width = 0;
    int height = 0;
    bool wrap = false;
    int padding = 0;
    bool prefix = true;
};

// Whether `box`'s text drawn in `font` fits it, measured by DrawText.
bool fits(HDC dc, HFONT font, const TextBox &box);

// `face` at the largest size, from `points` down in quarter points to 6
// points, at which every text fits its box.
Font fittingfont(HDC dc, const std::wstring &face, double points, int dpi, std::span<const TextBox> boxes);

} // namespace quenlo
