#include "platform/CopyProgressDialog.h"

#include "platform/DialogService.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QVBoxLayout>

namespace corvel {

namespace {

constexpr int kSteps = 1000;
// Painting more often would slow a copy of many small files.
constexpr qint64 kRepaintMs = 50;

} // namespace

CopyProgressDialog::CopyProgressDialog(const QString &what, Unit unit, QWidget *parent,
                                       std::chrono::milliseconds delay)
    : QDialog(parent), m_amount(new QLabel(this)), m_bar(new QProgressBar(this)), m_unit(unit),
      m_delay(delay)
{
    setObjectName(QStringLiteral("CopyProgressDialog"));
    setWindowTitle(kApplicationTitle);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowModality(Qt::ApplicationModal);
    const QString heading = QStringLiteral("Copying %1").arg(what);
    setAccessibleName(heading);

    auto *title = new QLabel(heading, this);
    title->setObjectName(QStringLiteral("lbl_Copying"));
    m_amount->setObjectName(QStringLiteral("lbl_Amount"));
    m_bar->setObjectName(QStringLiteral("pb_Copied"));
    m_bar->setAccessibleName(heading);
    m_bar->setRange(0, kSteps);
    m_bar->setMinimumWidth(360);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_bar);
    layout->addWidget(m_amount);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CopyProgressDialog::report(qint64 done, qint64 total)
{
    // The copy starts with its first report, after any wait for another upgrade's lock.
    if (!m_started.isValid())
        m_started.start();
    if (isHidden() ? m_started.elapsed() < m_delay.count() : m_painted.elapsed() < kRepaintMs)
        return;
    m_bar->setValue(total > 0 ? int(done * kSteps / total) : kSteps);
    const QString amount = describe(done, total, m_unit);
    m_amount->setText(amount);
    m_bar->setAccessibleDescription(amount);
    // Shown once it has its text, so that it opens at its final size.
    show();
    // The copy holds the event loop: let the dialog paint, but take no clicks or keys meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_painted.start();
}

fileops::Progress CopyProgressDialog::progress()
{
    return [this](qint64 done, qint64 total) { report(done, total); };
}

QString CopyProgressDialog::describe(qint64 done, qint64 total, Unit unit)
{
    const QLocale locale;
    if (unit == Unit::Files)
        return QStringLiteral("%1 of %2 files").arg(locale.toString(done), locale.toString(total));
    return QStringLiteral("%1 of %2")
        .arg(locale.formattedDataSize(done, 1, QLocale::DataSizeTraditionalFormat),
             locale.formattedDataSize(total, 1, QLocale::DataSizeTraditionalFormat));
}

void CopyProgressDialog::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

// Escape must not hide the dialog while the copy goes on.
void CopyProgressDialog::reject() {}

} // namespace corvel
