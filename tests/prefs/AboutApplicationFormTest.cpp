#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "prefs/AboutApplicationForm.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace corvel;
using corvel::test::RecordingShell;
using corvel::test::ScriptedDialogService;
using corvel::test::Workstation;

class AboutApplicationFormTest : public QObject
{
    Q_OBJECT

private slots:
    void fileTimeIsShownToTwoSecondsAndWithoutTimeAtMidnight_data();
    void fileTimeIsShownToTwoSecondsAndWithoutTimeAtMidnight();
    void versionLineNamesTheRunningExecutable();
    void unreadableVersionLeavesThePlaceholderLine();
    void okButtonIsTheDefault();
    void longRegionalDatesStayClearOfTheIcon_data();
    void longRegionalDatesStayClearOfTheIcon();
};

void AboutApplicationFormTest::fileTimeIsShownToTwoSecondsAndWithoutTimeAtMidnight_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    const QDate date(2026, 3, 4);
    QTest::newRow("odd second") << QDateTime(date, QTime(10, 15, 37)) << "en_GB"
                                << "04/03/2026 10:15:36";
    QTest::newRow("even second") << QDateTime(date, QTime(10, 15, 36, 999)) << "en_GB"
                                 << "04/03/2026 10:15:36";
    QTest::newRow("regional format") << QDateTime(date, QTime(22, 5, 9)) << "en_US"
                                     << "3/4/26 10:05:08 PM";
    QTest::newRow("german") << QDateTime(date, QTime(7, 0, 1)) << "de_DE"
                            << "04.03.26 07:00:00";
    QTest::newRow("midnight") << QDateTime(date, QTime(0, 0)) << "en_GB"
                              << "04/03/2026";
    QTest::newRow("one second past midnight") << QDateTime(date, QTime(0, 0, 1)) << "en_GB"
                                              << "04/03/2026";
    QTest::newRow("two seconds past midnight") << QDateTime(date, QTime(0, 0, 2)) << "en_GB"
                                               << "04/03/2026 00:00:02";
}

void AboutApplicationFormTest::fileTimeIsShownToTwoSecondsAndWithoutTimeAtMidnight()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QCOMPARE(TAboutApplicationForm::lastUpdatedText(time, QLocale(locale)), text);
}

void AboutApplicationFormTest::versionLineNamesTheRunningExecutable()
{
    Workstation workstation(QStringLiteral("3.5.3.7"));
    const QDateTime modified(QDate(2025, 11, 20), QTime(14, 2, 51));
    {
        QFile launcher(workstation.launcherPath());
        QVERIFY(launcher.open(QIODevice::ReadWrite));
        QVERIFY(launcher.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    TDataModule1 dataModule(workstation.launcherPath());
    ScriptedDialogService dialogs;
    RecordingShell shell;
    TAboutApplicationForm form(dataModule, Services{dialogs, shell});
    QVERIFY(dialogs.boxes().isEmpty());
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("lbl_Version"))->text(),
             QStringLiteral("Version 3.5.3.7 - Last Updated on %1")
                 .arg(TAboutApplicationForm::lastUpdatedText(modified, QLocale::system())));
    QCOMPARE(form.windowTitle(), QStringLiteral("About Corvel Launcher"));
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("lbl_ProductName"))->text(),
             QStringLiteral("Corvel Launcher, a module of Corvel System"));
}

void AboutApplicationFormTest::unreadableVersionLeavesThePlaceholderLine()
{
    Workstation workstation;
    TDataModule1 dataModule(workstation.path(QStringLiteral("Missing.exe")));
    ScriptedDialogService dialogs;
    RecordingShell shell;
    TAboutApplicationForm form(dataModule, Services{dialogs, shell});
    QCOMPARE(dialogs.boxes().size(), 1);
    QCOMPARE(dialogs.boxes().first().caption, QStringLiteral("Corvel Launcher"));
    QVERIFY(dialogs.lastText().startsWith(QStringLiteral("System Error.  Code: 2.")));
    QCOMPARE(form.findChild<QLabel *>(QStringLiteral("lbl_Version"))->text(),
             QStringLiteral("Version 3.5.3.00 - Last Updated on the 14th of Aug 2017"));
}

void AboutApplicationFormTest::okButtonIsTheDefault()
{
    Workstation workstation;
    TDataModule1 dataModule(workstation.launcherPath());
    ScriptedDialogService dialogs;
    RecordingShell shell;
    TAboutApplicationForm form(dataModule, Services{dialogs, shell});
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(form.findChild<QPushButton *>(QStringLiteral("OKButton"))->isDefault());
    QTest::keyClick(&form, Qt::Key_Return);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(!form.isVisible());
}

void AboutApplicationFormTest::longRegionalDatesStayClearOfTheIcon_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("Korean") << "ko_KR";
    QTest::newRow("Bulgarian") << "bg_BG";
}

void AboutApplicationFormTest::longRegionalDatesStayClearOfTheIcon()
{
    QFETCH(QString, locale);
    Workstation workstation;
    TDataModule1 dataModule(workstation.launcherPath());
    ScriptedDialogService dialogs;
    RecordingShell shell;
    TAboutApplicationForm form(dataModule, Services{dialogs, shell});
    auto *version = form.findChild<QLabel *>(QStringLiteral("lbl_Version"));
    const QString updated = TAboutApplicationForm::lastUpdatedText(
        QDateTime(QDate(2026, 12, 28), QTime(22, 55, 58)), QLocale(locale));
    version->setText(QStringLiteral("Version 10.20.300.4000 - Last Updated on ") + updated);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    const QRect icon = form.findChild<QLabel *>(QStringLiteral("ProgramIcon"))->geometry();
    const QRect button = form.findChild<QPushButton *>(QStringLiteral("OKButton"))->geometry();
    QRect previous;
    for (const char *name : {"lbl_ProductName", "lbl_Version", "lbl_LastUpdated"}) {
        const auto *label = form.findChild<QLabel *>(QLatin1String(name));
        const QRect r = label->geometry();
        QVERIFY2(!r.intersects(icon), name);
        QVERIFY2(!r.intersects(button), name);
        QVERIFY2(!r.intersects(previous), name);
        QVERIFY2(r.height() >= label->heightForWidth(r.width()), name);
        previous = r;
    }
}

CORVEL_TEST(AboutApplicationFormTest)
#include "AboutApplicationFormTest.moc"
