#include "messageboxes.h"

#include "qtcontrols.h"

#include <QMessageBox>

namespace quenlo {

namespace {

void exec(QMessageBox::Icon icon, std::string_view text, std::string_view title, QWidget *parent)
{
    QMessageBox box(icon, qtext(title), qtext(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void MessageBoxes::show(std::string_view text, std::string_view title)
{
    exec(QMessageBox::NoIcon, text, title, parent_);
}

void MessageBoxes::showerror(std::string_view text, std::string_view title)
{
    exec(QMessageBox::Critical, text, title, parent_);
}

} // namespace quenlo
