#include "win32fonts.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace quenlo {

int fontheight(double points, int dpi)
{
    return -static_cast<int>(std::lround(points * dpi / 72.0));
}

Font makefont(const std::wstring &face, double points, bool bold, int dpi)
{
    LOGFONTW font{};
    font.lfHeight = fontheight(points, dpi);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    face.substr(0, LF_FACESIZE - 1).copy(font.lfFaceName, LF_FACESIZE - 1);
    return Font(::CreateFontIndirectW(&font));
}

std::wstring faceatdpi(const std::wstring &face, int dpi)
{
    constexpr std::wstring_view bitmap = L"MS Sans Serif";
    if (dpi != 96
        && ::CompareStringOrdinal(face.data(), static_cast<int>(face.size()), bitmap.data(),
                                  static_cast<int>(bitmap.size()), TRUE)
               == CSTR_EQUAL)
        return L"Microsoft Sans Serif";
    return face;
}

namespace {

int CALLBACK found(const LOGFONTW *, const TEXTMETRICW *, DWORD, LPARAM seen)
{
    *reinterpret_cast<bool *>(seen) = true;
    return 0; // one is enough
}

} // namespace

std::wstring availableface(HDC dc, std::span<const std::wstring> faces)
{
    for (const auto &face : faces) {
        LOGFONTW wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        face.substr(0, LF_FACESIZE - 1).copy(wanted.lfFaceName, LF_FACESIZE - 1);
        bool seen = false;
        ::EnumFontFamiliesExW(dc, &wanted, found, reinterpret_cast<LPARAM>(&seen), 0);
        if (seen)
            return face;
    }
    return faces.empty() ? std::wstring() : faces.back();
}

namespace {

SIZE measure(HDC dc, std::wstring_view text, UINT format)
{
    RECT needed{0, 0, 0, 0};
    ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &needed,
                format | DT_CALCRECT | DT_LEFT | DT_TOP | DT_EXPANDTABS | DT_SINGLELINE);
    return {needed.right - needed.left, needed.bottom - needed.top};
}

} // namespace

std::optional<std::vector<std::wstring>> wrapwords(HDC dc, std::wstring_view text, int width, UINT format)
{
    std::vector<std::wstring> lines;
    std::size_t start = text.find_first_not_of(L' ');
    while (start != std::wstring_view::npos) {
        std::size_t end = std::min(text.find(L' ', start), text.size());
        if (measure(dc, text.substr(start, end - start), format).cx > width)
            return std::nullopt;
        // Take further words while the line stays within the width.
        while (end < text.size()) {
            const std::size_t next = std::min(text.find(L' ', end + 1), text.size());
            if (measure(dc, text.substr(start, next - start), format).cx > width)
                break;
            end = next;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = text.find_first_not_of(L' ', end);
    }
    return lines;
}

bool fits(HDC dc, HFONT font, const TextBox &box)
{
    if (box.text.empty())
        return true;
    // Some drivers draw a line a few percent wider than GDI measures it
    // (Wine's X11 driver: 3%), so a twentieth of the width is kept spare.
    const int width = box.width - 2 * box.padding - box.width / 20;
    const int height = box.height - 2 * box.padding;
    const UINT prefix = box.prefix ? 0 : DT_NOPREFIX;
    const HGDIOBJ old = ::SelectObject(dc, font);
    bool fit = false;
    if (box.wrap) {
        const auto lines = wrapwords(dc, box.text, width, prefix);
        fit = lines && static_cast<int>(lines->size()) * measure(dc, L"Ag", prefix).cy <= height;
    } else {
        const SIZE needed = measure(dc, box.text, prefix);
        fit = needed.cx <= width && needed.cy <= height;
    }
    ::SelectObject(dc, old);
    return fit;
}

Font fittingfont(HDC dc, const std::wstring &face, double points, int dpi, std::span<const TextBox> boxes)
{
    constexpr double kSmallest = 6.0;
    for (;; points -= 0.25) {
        Font font = makefont(face, points, false, dpi);
        const bool allfit =
            std::all_of(boxes.begin(), boxes.end(), [&](const TextBox &box) { return fits(dc, font.get(), box); });
        if (allfit || points - 0.25 < kSmallest)
            return font;
    }
}

} // namespace quenlo
