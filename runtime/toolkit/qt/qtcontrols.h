#pragma once

#include "controls.h"

#include <QString>

#include <string>

namespace quenlo {

inline QString qtext(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A Qt widget with a text (a button, a line edit or a label) as the window's
// code reaches it.
template <class Widget>
class WidgetControl final : public Control {
public:
    explicit WidgetControl(Widget &widget)
        : widget_(widget)
    {
    }
    std::string text() const override { return widget_.text().toStdString(); }
    void settext(std::string_view text) override { widget_.setText(qtext(text)); }
    bool enabled() const override { return widget_.isEnabled(); }
    void setenabled(bool on) override { widget_.setEnabled(on); }

private:
    Widget &widget_;
};

} // namespace quenlo
