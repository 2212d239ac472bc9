#include "qtaccessible.h"

#include "qtform.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>

namespace quenlo {

namespace {

// A read-only QLineEdit: Qt reports every line edit as editable.
class ReadOnlyText final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ReadOnlyText(QLineEdit *box)
        : QAccessibleWidget(box, QAccessible::EditableText)
    {
    }

    QAccessible::State state() const override
    {
        auto state = QAccessibleWidget::state();
        state.readOnly = true;
        state.selectableText = true;
        return state;
    }
    QString text(QAccessible::Text which) const override
    {
        return which == QAccessible::Value ? box()->text() : QAccessibleWidget::text(which);
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    void selection(int index, int *start, int *end) const override
    {
        *start = *end = 0;
        if (index == 0 && box()->hasSelectedText()) {
            *start = box()->selectionStart();
            *end = *start + box()->selectionLength();
        }
    }
    int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { box()->deselect(); }
    void setSelection(int, int start, int end) override { box()->setSelection(start, end - start); }
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    QString text(int start, int end) const override { return box()->text().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(box()->text().size()); }
    // Measured from the cursor, which the box places wherever it has
    // scrolled its text.
    QRect characterRect(int offset) const override
    {
        const QString shown = box()->text();
        if (offset < 0 || offset >= shown.size())
            return {};
        const QFontMetrics metrics(box()->font());
        const QRect cursor = box()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int at = box()->cursorPosition();
        const int x = cursor.x()
                      + (offset >= at ? metrics.horizontalAdvance(shown.mid(at, offset - at))
                                      : -metrics.horizontalAdvance(shown.mid(offset, at - offset)));
        return {box()->mapToGlobal(QPoint(x, cursor.top())),
                QSize(metrics.horizontalAdvance(shown.at(offset)), cursor.height())};
    }
    int offsetAtPoint(const QPoint &point) const override { return box()->cursorPositionAt(box()->mapFromGlobal(point)); }
    void scrollToSubstring(int start, int end) override
    {
        box()->setCursorPosition(end);
        box()->setCursorPosition(start);
    }
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QLineEdit *box() const { return static_cast<QLineEdit *>(widget()); }
};

QAccessibleInterface *accessible(const QString &, QObject *object)
{
    if (auto *form = qobject_cast<QtForm *>(object))
        return new QAccessibleWidget(form, QAccessible::Window);
    auto *box = qobject_cast<QLineEdit *>(object);
    if (box && box->isReadOnly() && qobject_cast<QtForm *>(box->parent()))
        return new ReadOnlyText(box);
    return nullptr;
}

} // namespace

void installaccessibility()
{
    QAccessible::installFactory(accessible);
}

} // namespace quenlo
