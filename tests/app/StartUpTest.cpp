#include "app/StartUp.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"
#include "app/DataModule1.h"
#include "app/StyleRegistry.h"

#include <QFile>
#include <QTest>

using namespace corvel;
using corvel::test::ScriptedDialogService;
using corvel::test::Workstation;

namespace {

// What start-up had shown and applied when it created the main window.
struct MainWindowCreation
{
    int calls = 0;
    QStringList boxesBefore;
    QString styleBefore;
};

MainWindowCreation startUp(TDataModule1 &dm, ScriptedDialogService &dialogs)
{
    MainWindowCreation creation;
    StartUp::run(dm, dialogs, [&] {
        ++creation.calls;
        creation.boxesBefore = dialogs.texts();
        creation.styleBefore = StyleRegistry::activeStyle();
    });
    return creation;
}

} // namespace

class StartUpTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        ScriptedDialogService dialogs;
        StyleRegistry::applyStyle(StyleRegistry::kPlainStyle, false, dialogs);
    }

    void seededWorkstationStartsWithoutABoxInTheStoredStyle()
    {
        Workstation ws;
        ws.useSeededDatabase();
        ws.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=corvel.db\r\n"
                         "[ChoosenStyle]\r\nStyle=cyan night\r\n");
        TDataModule1 dm(ws.launcherPath());
        ScriptedDialogService dialogs;

        const MainWindowCreation creation = startUp(dm, dialogs);

        QCOMPARE(creation.calls, 1);
        QCOMPARE(creation.styleBefore, QStringLiteral("Windows"));
        QVERIFY(dialogs.boxes().isEmpty());
        QVERIFY(dm.ADOConnection1.isOpen());
        QCOMPARE(StyleRegistry::activeStyle(), QStringLiteral("Cyan Night"));
    }

    void failedConnectionIsShownBeforeTheMainWindowAndStartUpGoesOn()
    {
        Workstation ws;
        ws.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=absent.db\r\n");
        TDataModule1 dm(ws.launcherPath());
        ScriptedDialogService dialogs;

        const MainWindowCreation creation = startUp(dm, dialogs);

        QCOMPARE(creation.calls, 1);
        QCOMPARE(creation.boxesBefore.size(), 1);
        QCOMPARE(dialogs.boxes().size(), 1);
        const MessageBoxSpec &box = dialogs.boxes().first();
        QCOMPARE(box.caption, QStringLiteral("Corvel Launcher"));
        QCOMPARE(box.icon, MessageIcon::Error);
        QVERIFY2(box.text.contains(QStringLiteral("absent.db")), qPrintable(box.text));
        QCOMPARE(ws.readSettings(),
                 QByteArray("[Database]\r\nEngine=SQLite\r\nCatalog=absent.db\r\n"
                            "[ChoosenStyle]\r\nStyle=Lavender Classico\r\n"));
        QCOMPARE(StyleRegistry::activeStyle(), QStringLiteral("Lavender Classico"));
    }

    void unknownStoredStyleIsReportedOnceAndLeavesThePlainLook()
    {
        Workstation ws;
        ws.useSeededDatabase();
        ws.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=corvel.db\r\n"
                         "[ChoosenStyle]\r\nStyle=Carbon\r\n");
        TDataModule1 dm(ws.launcherPath());
        ScriptedDialogService dialogs;

        const MainWindowCreation creation = startUp(dm, dialogs);

        QVERIFY(creation.boxesBefore.isEmpty());
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Style 'Carbon' not found")});
        QCOMPARE(StyleRegistry::activeStyle(), QStringLiteral("Windows"));
    }

    void launcherWithoutAVersionShowsTheSystemErrorThenTheEmptyStyleName()
    {
        Workstation ws;
        QFile::remove(ws.launcherPath());
        QFile launcher(ws.launcherPath());
        QVERIFY(launcher.open(QIODevice::WriteOnly));
        launcher.write(QByteArray(2048, '\0'));
        launcher.close();
        TDataModule1 dm(ws.launcherPath());
        ScriptedDialogService dialogs;

        const MainWindowCreation creation = startUp(dm, dialogs);

        QCOMPARE(creation.calls, 1);
        QCOMPARE(dialogs.boxes().size(), 2);
        QVERIFY(dialogs.boxes().at(0).text.startsWith(QStringLiteral("System Error.  Code: ")));
        QCOMPARE(dialogs.boxes().at(0).caption, QStringLiteral("Corvel Launcher"));
        QCOMPARE(dialogs.boxes().at(1).text, QStringLiteral("Style '' not found"));
        QCOMPARE(dialogs.boxes().at(1).caption, QStringLiteral("Error"));
        QVERIFY(!QFile::exists(ws.settingsPath()));
        QCOMPARE(StyleRegistry::activeStyle(), QStringLiteral("Windows"));
    }
};

CORVEL_TEST(StartUpTest)
#include "StartUpTest.moc"
