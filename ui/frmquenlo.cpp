#include "frmquenlo.h"

#include "commondialog.h"
#include "error.h"
#include "fileselection.h"
#include "filedialogs.h"
#include "fixprojectfile.h"
#include "messageboxes.h"
#include "report.h"
#include "twips.h"
#include "windowfont.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quenlo {

namespace {

const QString kCaption = QStringLiteral(" Quenlo");
const QString kSelectText = QStringLiteral("&Select...");
const QString kFixText = QStringLiteral("Fix");
const QString kNameLabel = QStringLiteral("MIRD project file name:");
const QString kInstructions = QStringLiteral("After selecting the project file, use the Fix button to fix the project "
                                             "file. Then you can open the project file with MIRD+ application.");
constexpr std::string_view kErrorTitle = "Quenlo";
constexpr std::string_view kFixFailed = "The project file could not be fixed.";

// Where each control sits, in twips.
constexpr QSize kClientArea = twips(6435, 1305);
constexpr QRect kSelectBox = twips(2040, 60, 855, 355);
constexpr QRect kPathBox = twips(120, 480, 5535, 285);
constexpr QRect kNameLabelBox = twips(120, 150, 1680, 195);
constexpr QRect kFixBox = twips(5760, 450, 615, 375);
constexpr QRect kInstructionsBox = twips(240, 840, 4920, 390);

// Room a push button keeps between its frame and its text.
constexpr int kButtonPadding = 4;

QFont fixfont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

// A plain sans-serif face, as small as it must be for every text of the
// window to fit its place.
QFont defaultfont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.0);
    const std::array<TextBox, 3> boxes{
        TextBox{kNameLabel, kNameLabelBox.size()},
        TextBox{kInstructions, kInstructionsBox.size(), true},
        TextBox{kSelectText, kSelectBox.size(), false, kButtonPadding},
    };
    return fittingfont(font, boxes);
}

QPushButton *button(const QString &name, const QString &text, const QRect &box, QWidget *parent)
{
    auto *result = new QPushButton(text, parent);
    result->setObjectName(name);
    result->setGeometry(box);
    // Enter on the focused button presses it, as Space does; neither button
    // is the window's default.
    result->setAutoDefault(true);
    return result;
}

QLabel *label(int index, const QString &text, const QRect &box, bool wrap, QWidget *parent)
{
    auto *result = new QLabel(text, parent);
    result->setObjectName(QStringLiteral("Label1"));
    result->setProperty("index", index);
    result->setGeometry(box);
    result->setWordWrap(wrap);
    result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return result;
}

QLineEdit *pathbox(QWidget *parent)
{
    auto *result = new QLineEdit(parent);
    result->setObjectName(QStringLiteral("txtinput"));
    result->setGeometry(kPathBox);
    return result;
}

// The path as the file services take it: UTF-8 on Windows, the file
// system's own encoding elsewhere.
std::string filesystempath(const QString &path)
{
#ifdef Q_OS_WIN
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

} // namespace

frmquenlo::frmquenlo(WindowServices services, QWidget *parent)
    : QWidget(parent)
    , ownmessages_(services.messages ? nullptr : std::make_unique<MessageBoxes>(this))
    , owndialogs_(services.dialogs ? nullptr : std::make_unique<QtFileDialogs>())
    , messages_(services.messages ? *services.messages : *ownmessages_)
    , files_(services.files ? *services.files : systemfiles())
    , cmdselect(button(QStringLiteral("cmdselect"), kSelectText, kSelectBox, this))
    , txtinput(pathbox(this))
    , Label1{label(0, kNameLabel, kNameLabelBox, false, this), label(1, kInstructions, kInstructionsBox, true, this)}
    , cmdfix(button(QStringLiteral("cmdfix"), kFixText, kFixBox, this))
    , cmdialog1(new CommonDialog(services.dialogs ? *services.dialogs : *owndialogs_, this))
{
    setObjectName(QStringLiteral("frmquenlo"));
    setWindowTitle(kCaption);
    setFont(defaultfont());
    setFixedSize(kClientArea);
    cmdialog1->setObjectName(QStringLiteral("cmdialog1"));
    cmdfix->setFont(fixfont());
    cmdfix->setEnabled(false);

    setTabOrder(cmdselect, txtinput);
    setTabOrder(txtinput, cmdfix);
    cmdselect->setFocus();

    connect(cmdselect, &QPushButton::clicked, this, &frmquenlo::cmdselect_Click);
    connect(cmdfix, &QPushButton::clicked, this, &frmquenlo::cmdfix_Click);
}

frmquenlo::~frmquenlo() = default;

void frmquenlo::cmdselect_Click()
{
    selectprojectfile(*cmdialog1, *txtinput, prjpath, *cmdfix);
}

// A failure is reported and the window stays as it was, so that the user
// can choose another file.
void frmquenlo::cmdfix_Click()
{
    try {
        fixprojectfile(filesystempath(prjpath), prjheader, messages_, files_);
    } catch (const Error &error) {
        reporterror(error, messages_, kErrorTitle, kFixFailed);
    } catch (const std::exception &other) {
        reporterror(Error(kInternalError, filesystempath(prjpath), other.what()), messages_, kErrorTitle, kFixFailed);
    }
}

} // namespace quenlo
