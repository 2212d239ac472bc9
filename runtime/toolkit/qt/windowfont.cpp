#include "windowfont.h"

#include <QFontMetrics>

#include <algorithm>
#include <climits>

namespace quenlo {

bool fits(const QFont &font, const TextBox &box)
{
    const QFontMetrics metrics(font);
    const QString shown = QString(box.text).remove(QLatin1Char('&'));
    const int width = box.box.width() - 2 * box.padding;
    const int height = box.box.height() - 2 * box.padding;
    if (!box.wrap)
        return metrics.horizontalAdvance(shown) <= width && metrics.height() <= height;
    const auto needed = metrics.boundingRect(QRect(0, 0, width, INT_MAX), Qt::TextWordWrap, shown);
    return needed.width() <= width && needed.height() <= height;
}

QFont fittingfont(QFont font, std::span<const TextBox> boxes)
{
    constexpr double kSmallest = 6.0;
    const auto allfit = [&] { return std::all_of(boxes.begin(), boxes.end(), [&](const auto &b) { return fits(font, b); }); };
    for (double size = font.pointSizeF(); size > kSmallest && !allfit(); size -= 0.25)
        font.setPointSizeF(size - 0.25);
    return font;
}

} // namespace quenlo
