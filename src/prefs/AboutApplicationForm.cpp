#include "prefs/AboutApplicationForm.h"

#include "app/AppVersion.h"
#include "app/Artwork.h"
#include "app/DataModule1.h"
#include "app/TopLevelErrorHandler.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace corvel {

namespace {

const QString kCaption = QStringLiteral("About Corvel Launcher");
const QString kProductName = QStringLiteral("Corvel Launcher, a module of Corvel System");
const QString kInitialVersion =
    QStringLiteral("Version 3.5.3.00 - Last Updated on the 14th of Aug 2017");
const QString kRightsNotice =
    QStringLiteral("Copyright \u00A9 2026 Corvel Systems. All rights reserved.");
const QString kVersionLine = QStringLiteral("Version %1 - Last Updated on %2");
const QString kIcon = QStringLiteral(":/artwork/program.png");

constexpr int kIconGap = 8;
constexpr int kLineGap = 8;

// Qt's long time names the time zone; the regional long time the line follows does not.
QString longTimeFormatWithoutZone(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        result += c;
    }
    return result.trimmed();
}

QLabel *boldLabel(const QString &name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    font.setPixelSize(13);
    label->setFont(font);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TAboutApplicationForm::TAboutApplicationForm(TDataModule1 &dataModule, const Services &services,
                                             QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QFont sansSerif(QStringLiteral("MS Sans Serif"));
    sansSerif.setPixelSize(11);
    setFont(sansSerif);
    setFixedSize(586, 171);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    // A sunken box draws as a lowered outer and a raised inner bevel.
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setMidLineWidth(0);
    panel->setGeometry(rect().adjusted(3, 3, -3, -3));
    Panel1 = panel;

    lbl_ProductName =
        boldLabel(QStringLiteral("lbl_ProductName"), kProductName, QRect(24, 19, 344, 16), Panel1);
    lbl_Version =
        boldLabel(QStringLiteral("lbl_Version"), kInitialVersion, QRect(24, 49, 378, 16), Panel1);
    lbl_LastUpdated =
        boldLabel(QStringLiteral("lbl_LastUpdated"), kRightsNotice, QRect(24, 79, 327, 16), Panel1);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(432, 19, 128, 128);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(artwork::pixmap(kIcon));

    OKButton = new QPushButton(QStringLiteral("OK"), Panel1);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    QFont buttonFont = OKButton->font();
    buttonFont.setBold(true);
    buttonFont.setPixelSize(16);
    OKButton->setFont(buttonFont);
    OKButton->setGeometry(24, 113, 105, 34);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    TopLevelErrorHandler::guard(m_services.dialogs, [&] { FormCreate(); });
}

QString TAboutApplicationForm::lastUpdatedText(const QDateTime &localTime, const QLocale &locale)
{
    const QTime exact = localTime.time();
    const QTime time(exact.hour(), exact.minute(), exact.second() - exact.second() % 2);
    const QString date = locale.toString(localTime.date(), QLocale::ShortFormat);
    if (time == QTime(0, 0))
        return date;
    return date + u' ' + locale.toString(time, longTimeFormatWithoutZone(locale));
}

void TAboutApplicationForm::FormCreate()
{
    const QString path = m_dataModule.executablePath();
    const QString updated =
        lastUpdatedText(QFileInfo(path).lastModified().toLocalTime(), QLocale::system());
    const QString version = corvel::GetAppVersionStr(path);
    lbl_Version->setText(kVersionLine.arg(version, updated));
}

void TAboutApplicationForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    fitLabels();
    if (const QScreen *screen = this->screen()) {
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frameSize(),
                                 screen->availableGeometry())
                 .topLeft());
    }
}

// Labels grow with their text, as the regional date and time may be longer than the layout allows,
// but only up to the program's icon: beyond it they wrap, and what is below them moves down.
void TAboutApplicationForm::fitLabels()
{
    const int right = ProgramIcon->x() - kIconGap;
    int nextTop = 0;
    for (QLabel *label : {lbl_ProductName, lbl_Version, lbl_LastUpdated}) {
        const int room = right - label->x();
        label->setWordWrap(false);
        const int needed = label->sizeHint().width();
        label->setWordWrap(needed > room);
        const int width = qBound(label->width(), needed, room);
        const int height = qMax(label->height(), label->heightForWidth(width));
        label->setGeometry(label->x(), qMax(label->y(), nextTop), width, height);
        nextTop = label->y() + label->height() + kLineGap;
    }
    OKButton->move(OKButton->x(), qMax(OKButton->y(), nextTop));
}

} // namespace corvel
