#pragma once

#include "messagebox.h"

class QWidget;

namespace quenlo {

// Modal Qt message boxes over `parent`: one OK button, no icon for a
// message, the error icon for a failure.
class MessageBoxes final : public MessageService {
public:
    explicit MessageBoxes(QWidget *parent)
        : parent_(parent)
    {
    }
    void show(std::string_view text, std::string_view title) override;
    void showerror(std::string_view text, std::string_view title) override;

private:
    QWidget *parent_;
};

} // namespace quenlo
