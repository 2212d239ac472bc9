#pragma once

#include <QFont>
#include <QSize>
#include <QString>

#include <span>

namespace quenlo {

// A text and the box it has to fit in, on one line or wrapped at the box's
// width; `padding` is what the widget keeps around its text on each side.
struct TextBox {
    QString text;
    QSize box;
    bool wrap = false;
    int padding = 0;
};

bool fits(const QFont &font, const TextBox &box);

// `font` at the largest size, from its own size down in quarter points to 6
// points, at which every text fits its box.
QFont fittingfont(QFont font, std::span<const TextBox> boxes);

} // namespace quenlo
