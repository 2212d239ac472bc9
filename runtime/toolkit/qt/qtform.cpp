#include "qtform.h"

#include "error.h"
#include "filedialogs.h"
#include "messageboxes.h"
#include "qtaccessible.h"
#include "qtcontrols.h"
#include "report.h"
#include "twips.h"
#include "windowfont.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

namespace quenlo {

namespace {

// Qt lays out in pixels at 96 dpi and scales them for the screen; the
// window is laid out at more where the user asked for larger text.
constexpr int kLayoutDpi = 96;

// The largest general font that the usual desktops have by default
// (GNOME's; KDE's, Xfce's and Qt's own are smaller): the window grows only
// past it.
constexpr double kUsualDesktopPoints = 11;

// Room a push button keeps between its frame and its text, at 96 dpi.
constexpr int kButtonPadding = 4;

QRect placement(const ControlDescription &control, int dpi)
{
    const auto box = pixels(control.left, control.top, control.width, control.height, dpi);
    return {box.left, box.top, box.width, box.height};
}

QFont qfont(const FontDescription &font, int dpi)
{
    QFont result(qtext(font.face));
    result.setPointSizeF(font.points * dpi / kLayoutDpi);
    result.setBold(font.bold);
    return result;
}

// A plain sans-serif face, as small as it must be for every text that is
// shown in the window's own font to fit its place.
QFont windowfont(const FormDescription &form, int dpi)
{
    QFont font;
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.0 * dpi / kLayoutDpi);
    const int padding = kButtonPadding * dpi / kLayoutDpi;
    std::vector<TextBox> boxes;
    for (const auto &control : form.controls) {
        if (control.font || control.kind == ControlKind::TextBox)
            continue;
        const bool button = control.kind == ControlKind::CommandButton;
        boxes.push_back(TextBox{qtext(control.text), placement(control, dpi).size(), control.wrap, button ? padding : 0});
    }
    return fittingfont(font, boxes);
}

// The program's icon from what it carries under :/icons, none when it
// carries none. A window's icon is shown at most at this size; the desktop
// entry's icons serve the larger places, and each size given here is sent
// to the window manager at every start.
constexpr int kLargestWindowIcon = 64;

QIcon programicon()
{
    QIcon icon;
    for (const auto &file : QDir(QStringLiteral(":/icons")).entryInfoList(QDir::Files)) {
        const auto size = QImageReader(file.filePath()).size();
        if (size.isValid() && size.width() <= kLargestWindowIcon)
            icon.addFile(file.filePath(), size);
    }
    return icon;
}

template <class Widget>
std::pair<QWidget *, std::unique_ptr<Control>> make(Widget *widget)
{
    return {widget, std::make_unique<WidgetControl<Widget>>(*widget)};
}

std::pair<QWidget *, std::unique_ptr<Control>> build(const ControlDescription &control, QWidget *parent)
{
    switch (control.kind) {
    case ControlKind::CommandButton: {
        auto *button = new QPushButton(qtext(control.text), parent);
        // Enter on the focused button presses it, as Space does; no button
        // is the window's default.
        button->setAutoDefault(true);
        return make(button);
    }
    case ControlKind::TextBox: {
        auto *box = new QLineEdit(qtext(control.text), parent);
        box->setReadOnly(control.readonly);
        return make(box);
    }
    case ControlKind::Label:
        break;
    }
    auto *label = new QLabel(qtext(control.text), parent);
    label->setWordWrap(control.wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return make(label);
}

} // namespace

int desktoptextpercent()
{
    const QFont font = QGuiApplication::font();
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / kLayoutDpi;
    return textpercent(points, kUsualDesktopPoints);
}

QtForm::QtForm(const FormDescription &description, QtServices services, QWidget *parent)
    : QWidget(parent)
    , ownmessages_(services.messages ? nullptr : std::make_unique<MessageBoxes>(this))
    , owndialogs_(services.dialogs ? nullptr : std::make_unique<QtFileDialogs>(this))
    , messages_(services.messages ? *services.messages : *ownmessages_)
    , dialogs_(services.dialogs ? *services.dialogs : *owndialogs_)
{
    static const bool accessibility = (installaccessibility(), true);
    (void)accessibility;
    const int dpi = scaleddpi(kLayoutDpi, desktoptextpercent());
    setObjectName(qtext(description.name));
    setWindowTitle(qtext(description.caption));
    setWindowIcon(programicon());
    setFont(windowfont(description, dpi));
    setAcceptDrops(description.takesdroppedfiles);
    const auto client = pixels(0, 0, description.width, description.height, dpi);
    setFixedSize(client.width, client.height);

    // Made in the order assistive tools read them; the focus moves in the
    // description's order.
    for (const std::size_t i : readingorder(description)) {
        const auto &control = description.controls[i];
        auto [widget, adapter] = build(control, this);
        widget->setObjectName(qtext(control.name));
        if (control.index >= 0)
            widget->setProperty("index", control.index);
        widget->setGeometry(placement(control, dpi));
        widget->setEnabled(control.enabled);
        // A drop anywhere goes to the window.
        widget->setAcceptDrops(false);
        if (control.font)
            widget->setFont(qfont(*control.font, dpi));
        if (control.describesform)
            setAccessibleDescription(qtext(control.text));
        controls_.push_back({i, &control, widget, std::move(adapter)});
    }
    QWidget *previous = nullptr;
    for (std::size_t i = 0; i < description.controls.size(); ++i) {
        QWidget *next = widget(ControlId{i});
        if (next->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, next);
        else
            next->setFocus();
        previous = next;
    }
    for (const auto &built : controls_) {
        const auto &labelfor = built.description->labelfor;
        if (const auto named = placeof(description.controls, labelfor); named && !labelfor.empty())
            static_cast<QLabel *>(built.widget)->setBuddy(widget(ControlId{*named}));
    }
}

QtForm::~QtForm() = default;

QWidget *QtForm::widget(ControlId id) const
{
    const auto *built = findbuilt(controls_, id);
    return built ? built->widget : nullptr;
}

Control &QtForm::control(ControlId id)
{
    if (const auto *built = findbuilt(controls_, id))
        return *built->control;
    throw ProgrammingError(objectName().toStdString(), "the window has no control number " + std::to_string(id.place));
}

FormContext QtForm::context()
{
    return {*this, dialogs_, messages_};
}

void QtForm::attach(FormCode &code)
{
    code_ = &code;
    for (const auto &built : controls_) {
        if (built.description->kind != ControlKind::CommandButton)
            continue;
        const ControlId id{built.place};
        connect(static_cast<QPushButton *>(built.widget), &QPushButton::clicked, this,
                [this, &code, id] { dispatch([&] { code.click(id); }); });
    }
}

void QtForm::dispatch(const std::function<void()> &call)
{
    if (!reportuntrapped(call, messages_, "Quenlo"))
        close();
}

namespace {

// The one local file, not a folder, that a drag carries, and that the window
// may take without the drag's source deleting it: as a copy or a link, never
// moved. Sets the drop's action to match.
std::optional<std::string> droppedfile(QDropEvent *event)
{
    const auto possible = event->possibleActions();
    const Qt::DropAction action = possible & Qt::CopyAction ? Qt::CopyAction
                                  : possible & Qt::LinkAction ? Qt::LinkAction
                                                              : Qt::IgnoreAction;
    const QMimeData *data = event->mimeData();
    if (action == Qt::IgnoreAction || !data || !data->hasUrls())
        return std::nullopt;
    const auto urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return std::nullopt;
    const QString local = urls.front().toLocalFile();
    if (local.isEmpty() || QFileInfo(local).isDir())
        return std::nullopt;
    event->setDropAction(action);
    return QFile::encodeName(QDir::toNativeSeparators(local)).toStdString();
}

} // namespace

void QtForm::dragEnterEvent(QDragEnterEvent *event)
{
    event->setAccepted(code_ && droppedfile(event));
}

void QtForm::dragMoveEvent(QDragMoveEvent *event)
{
    event->setAccepted(code_ && droppedfile(event));
}

void QtForm::dropEvent(QDropEvent *event)
{
    const auto path = code_ ? droppedfile(event) : std::nullopt;
    event->setAccepted(path.has_value());
    if (path)
        dispatch([&] { code_->dropped(*path); });
}

} // namespace quenlo
