#include "TestRegistry.h"

#include "platform/FolderBrowserDialog.h"
#include "platform/QtDialogService.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>

using namespace corvel;

namespace {

// Runs `answer` on the modal dialog as soon as it is shown.
void whenModalShows(std::function<void(QWidget *)> answer)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        answer(modal);
    });
    poll->start();
}

QPushButton *buttonNamed(QWidget *dialog, const QString &text)
{
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

QStringList buttonTexts(QWidget *dialog)
{
    QStringList texts;
    for (QPushButton *button : dialog->findChildren<QPushButton *>())
        texts << button->text();
    texts.sort();
    return texts;
}

} // namespace

class TestQtDialogService : public QObject
{
    Q_OBJECT

private slots:
    void showsTheBoxAsSpecifiedAndReturnsTheButtonPressed_data()
    {
        QTest::addColumn<int>("icon");
        QTest::addColumn<QList<DialogButton>>("buttons");
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("answer");
        const QList<DialogButton> okCancel{DialogButton::Ok, DialogButton::Cancel};
        QTest::newRow("confirm, OK")
            << int(QMessageBox::Question) << okCancel << "OK" << int(DialogButton::Ok);
        QTest::newRow("confirm, Cancel")
            << int(QMessageBox::Question) << okCancel << "Cancel" << int(DialogButton::Cancel);
        QTest::newRow("confirm, Escape")
            << int(QMessageBox::Question) << okCancel << "<Escape>" << int(DialogButton::Cancel);
        QTest::newRow("style error, Close")
            << int(QMessageBox::Critical) << QList<DialogButton>{DialogButton::Close} << "Close"
            << int(DialogButton::Close);
        QTest::newRow("plain, Enter")
            << int(QMessageBox::NoIcon) << QList<DialogButton>{DialogButton::Ok} << "<Enter>"
            << int(DialogButton::Ok);
    }
    void showsTheBoxAsSpecifiedAndReturnsTheButtonPressed()
    {
        QFETCH(int, icon);
        QFETCH(QList<DialogButton>, buttons);
        QFETCH(QString, press);
        QFETCH(int, answer);
        const MessageIcon icons[] = {MessageIcon::None, MessageIcon::Information,
                                     MessageIcon::Warning, MessageIcon::Error,
                                     MessageIcon::Question};
        const MessageBoxSpec spec{QStringLiteral("Confirm"), icons[icon],
                                  QStringLiteral("Choose 'OK' To Upgrade <b>Reports</b>\n\rnext"),
                                  buttons, buttons.first()};
        QString caption;
        QString text;
        int shownIcon = -1;
        QStringList texts;
        QString defaultText;
        whenModalShows([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box != nullptr);
            caption = box->windowTitle();
            text = box->text();
            shownIcon = box->icon();
            texts = buttonTexts(box);
            defaultText =
                box->defaultButton() != nullptr ? box->defaultButton()->text() : QString();
            if (press == QStringLiteral("<Escape>"))
                QTest::keyClick(box, Qt::Key_Escape);
            else if (press == QStringLiteral("<Enter>"))
                QTest::keyClick(box, Qt::Key_Return);
            else
                buttonNamed(box, press)->click();
        });
        QCOMPARE(int(QtDialogService().showMessage(spec)), answer);
        QCOMPARE(caption, spec.caption);
        // LF CR is one line break on screen, and markup stays text.
        QCOMPARE(text, QStringLiteral("Choose 'OK' To Upgrade <b>Reports</b>\nnext"));
        QCOMPARE(shownIcon, icon);
        QStringList expected;
        for (DialogButton button : buttons)
            expected << (button == DialogButton::Ok       ? QStringLiteral("OK")
                         : button == DialogButton::Cancel ? QStringLiteral("Cancel")
                                                          : QStringLiteral("Close"));
        expected.sort();
        QCOMPARE(texts, expected);
        QCOMPARE(defaultText, expected.contains(QStringLiteral("OK")) ? QStringLiteral("OK")
                                                                      : QStringLiteral("Close"));
    }

    void folderBrowserPreselectsAndReturnsTheChosenFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Distribution/Reports")));
        const QString chosen =
            QDir::toNativeSeparators(dir.filePath(QStringLiteral("Distribution")));
        QString title;
        QString note;
        QString accessibleName;
        QStringList texts;
        whenModalShows([&](QWidget *modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("FolderBrowserDialog"));
            title = modal->findChild<QLabel *>(QStringLiteral("lbl_Title"))->text();
            note = modal->findChild<QLabel *>(QStringLiteral("lbl_Note"))->text();
            accessibleName =
                modal->findChild<QTreeView *>(QStringLiteral("tv_Folders"))->accessibleName();
            texts = buttonTexts(modal);
            auto *dialog = qobject_cast<FolderBrowserDialog *>(modal);
            QVERIFY(QTest::qWaitFor([&] { return dialog->selectedFolder() == chosen; }));
            modal->findChild<QPushButton *>(QStringLiteral("btn_OK"))->click();
        });
        QCOMPARE(QtDialogService().chooseFolder(QStringLiteral("Distribution folder"),
                                                QStringLiteral("Where the upgrades are"),
                                                chosen + QDir::separator()),
                 chosen);
        QCOMPARE(title, QStringLiteral("Distribution folder"));
        QCOMPARE(note, QStringLiteral("Where the upgrades are"));
        QCOMPARE(accessibleName, QStringLiteral("Distribution folder"));
        QCOMPARE(texts, (QStringList{QStringLiteral("&Go"), QStringLiteral("Cancel"),
                                     QStringLiteral("OK")}));
    }

    // A share is absent from the tree until its path is asked for: typing it is how it is reached.
    void folderBrowserGoesToATypedFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Distribution/Reports")));
        const QString start = QDir::toNativeSeparators(dir.path());
        const QString typed =
            QDir::toNativeSeparators(dir.filePath(QStringLiteral("Distribution")));
        const QString missing = typed + QStringLiteral("-missing");
        QString shownAtStart;
        QString problem;
        QString keptAfterProblem;
        QString goneTo;
        whenModalShows([&](QWidget *modal) {
            auto *dialog = qobject_cast<FolderBrowserDialog *>(modal);
            auto *box = modal->findChild<QLineEdit *>(QStringLiteral("edt_Path"));
            auto *problemLabel = modal->findChild<QLabel *>(QStringLiteral("lbl_PathProblem"));
            shownAtStart = box->text();
            box->setFocus();
            box->clear();
            // Enter goes to the folder; it does not press OK for the folder selected before.
            QTest::keyClicks(box, missing);
            QTest::keyClick(box, Qt::Key_Return);
            problem = problemLabel->isHidden() ? QString() : problemLabel->text();
            keptAfterProblem = modal->isVisible() ? dialog->selectedFolder() : QString();
            box->clear();
            QTest::keyClicks(box, QStringLiteral(" ") + typed + QDir::separator());
            QTest::keyClick(box, Qt::Key_Enter);
            goneTo = problemLabel->isHidden() ? dialog->selectedFolder() : QString();
            modal->findChild<QPushButton *>(QStringLiteral("btn_OK"))->click();
        });
        QCOMPARE(QtDialogService().chooseFolder(QStringLiteral("Folder"), QString(), start), typed);
        QCOMPARE(shownAtStart, start);
        QCOMPARE(problem, QStringLiteral("Cannot find the folder \"%1\". Check the name and try "
                                         "again.")
                              .arg(missing));
        QCOMPARE(keptAfterProblem, start);
        QCOMPARE(goneTo, typed);
    }

    void shortMessageBoxIsWideEnoughForItsCaption()
    {
        int width = 0;
        int needed = 0;
        whenModalShows([&](QWidget *modal) {
            width = modal->width();
            needed = QFontMetrics(QFontDatabase::systemFont(QFontDatabase::TitleFont))
                         .horizontalAdvance(modal->windowTitle()) +
                     3 * modal->style()->pixelMetric(QStyle::PM_TitleBarHeight);
            QTest::keyClick(modal, Qt::Key_Return);
        });
        QtDialogService().showMessage({QStringLiteral("Corvel Launcher"),
                                       MessageIcon::None,
                                       QStringLiteral("User ID is Empty !"),
                                       {DialogButton::Ok},
                                       DialogButton::Ok});
        QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
    }

    void folderBrowserOpensAtHomeAndWaitsForAChoice()
    {
#ifdef Q_OS_WIN
        QSKIP("under Wine the folder tree makes the first drive current while drives load");
#endif
        FolderBrowserDialog dialog(QStringLiteral("Folder"), QString());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto *tree = dialog.findChild<QTreeView *>(QStringLiteral("tv_Folders"));
        auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("btn_OK"));
        auto *model = qobject_cast<QFileSystemModel *>(tree->model());
        QCOMPARE(QDir(model->filePath(tree->currentIndex())), QDir::home());
        QVERIFY(!ok->isEnabled());
        QVERIFY(ok->icon().isNull());
        QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("btn_Cancel"))->icon().isNull());

        QTest::keyClick(tree, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.selectedFolder(), QString());

        QTest::keyClick(tree, Qt::Key_Space);
        QVERIFY(ok->isEnabled());
        QCOMPARE(QDir(dialog.selectedFolder()), QDir::home());
    }

    void folderBrowserCancelReturnsNothing()
    {
        whenModalShows([](QWidget *modal) {
            modal->findChild<QPushButton *>(QStringLiteral("btn_Cancel"))->click();
        });
        QCOMPARE(
            QtDialogService().chooseFolder(QStringLiteral("Folder"), QString(), QDir::tempPath()),
            QString());
    }

    void folderBrowserListsFoldersOnly()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Reports")));
        QFile file(dir.filePath(QStringLiteral("CorvelMap.exe")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        FolderBrowserDialog dialog(QStringLiteral("Folder"), QString());
        auto *tree = dialog.findChild<QTreeView *>(QStringLiteral("tv_Folders"));
        QVERIFY(!dialog.findChild<QPushButton *>(QStringLiteral("btn_OK"))->isEnabled());
        dialog.preselect(dir.path());
        QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("btn_OK"))->isEnabled());
        const QModelIndex folder = tree->currentIndex();
        tree->model()->fetchMore(folder);
        QVERIFY(QTest::qWaitFor([&] { return tree->model()->rowCount(folder) == 1; }));
        QTest::qWait(200);
        QCOMPARE(tree->model()->rowCount(folder), 1);
        QCOMPARE(tree->model()->index(0, 0, folder).data().toString(), QStringLiteral("Reports"));
    }

    void folderPathsLoseTheirTrailingSeparatorExceptRoots_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("result");
        QTest::newRow("trailing") << "/srv/dist/"
                                  << "/srv/dist";
        QTest::newRow("none") << "/srv/dist"
                              << "/srv/dist";
        QTest::newRow("root") << "/"
                              << "/";
    }
    void folderPathsLoseTheirTrailingSeparatorExceptRoots()
    {
        QFETCH(QString, folder);
        QFETCH(QString, result);
        QCOMPARE(FolderBrowserDialog::withoutTrailingSeparator(folder),
                 QDir::toNativeSeparators(result));
    }
};

CORVEL_TEST(TestQtDialogService)

#include "QtDialogServiceTest.moc"
