#include "platform/QtDialogService.h"

#include "platform/FolderBrowserDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>

namespace corvel {

namespace {

QMessageBox::Icon iconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QPushButton *addButton(QMessageBox &box, DialogButton button)
{
    switch (button) {
    case DialogButton::Ok:
        return box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    case DialogButton::Cancel:
        return box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    case DialogButton::Close:
        return box.addButton(QStringLiteral("Close"), QMessageBox::RejectRole);
    case DialogButton::None:
        break;
    }
    return nullptr;
}

// The launcher's messages break lines with LF CR (CR LF in one window); either pair is one line
// break on screen, where Qt would otherwise draw two.
QString displayed(QString text)
{
    text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// A box sized to a short message can be narrower than its title bar needs to show the caption
// beside the window's icon and buttons, and the caption is then cut.
void fitCaption(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (grid == nullptr)
        return;
    const QFontMetrics title(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    const int furniture = 3 * box.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int width = title.horizontalAdvance(box.windowTitle()) + furniture;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

DialogButton QtDialogService::showMessage(const MessageBoxSpec &spec)
{
    QMessageBox box(QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowTitle(spec.caption);
    box.setIcon(iconOf(spec.icon));
    box.setText(displayed(spec.text));
    box.setTextFormat(Qt::PlainText);
    QHash<QAbstractButton *, DialogButton> answers;
    for (DialogButton button : spec.buttons) {
        QPushButton *added = addButton(box, button);
        if (added == nullptr)
            continue;
        answers.insert(added, button);
        if (button == spec.defaultButton)
            box.setDefaultButton(added);
        // Escape and the close box answer Cancel where there is one, else the only button.
        if (button == DialogButton::Cancel || spec.buttons.size() == 1)
            box.setEscapeButton(added);
    }
    fitCaption(box);
    box.exec();
    return answers.value(box.clickedButton(), DialogButton::None);
}

QString QtDialogService::chooseFile(const QString &filterName, const QString &mask)
{
    const QString filter = QStringLiteral("%1 (%2)").arg(filterName, mask);
    return QDir::toNativeSeparators(
        QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), QString(), filter));
}

QString QtDialogService::chooseFolder(const QString &title, const QString &note,
                                      const QString &selected)
{
    FolderBrowserDialog dialog(title, note, QApplication::activeWindow());
    if (!selected.isEmpty())
        dialog.preselect(selected);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFolder();
}

} // namespace corvel
