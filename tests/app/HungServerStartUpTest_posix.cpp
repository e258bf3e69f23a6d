#include "HungServerWorkstation.h"
#include "OdbcDrivers.h"
#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "app/StartUp.h"
#include "app/StyleRegistry.h"
#include "launcher/MainForm.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

// A server that takes the connection and never answers, at start-up.
class HungServerStartUpTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (!odbcDriverRegistered(QStringLiteral("FreeTDS")))
            QSKIP("FreeTDS is not registered with unixODBC");
    }
    void cleanup()
    {
        ScriptedDialogService dialogs;
        StyleRegistry::applyStyle(StyleRegistry::kPlainStyle, false, dialogs);
    }

    void startUpShowsTheDriversMessageThenAWorkingMainWindow()
    {
        HungServerWorkstation hung;
        QVERIFY2(hung.server.isListening(), qPrintable(hung.server.error()));
        TDataModule1 &dm = hung.dm;
        ScriptedDialogService dialogs;
        RecordingShell shell;
        std::unique_ptr<TMainForm> mainForm;
        QStringList boxesBeforeMainWindow;
        QElapsedTimer clock;
        clock.start();

        StartUp::run(dm, dialogs, [&] {
            boxesBeforeMainWindow = dialogs.texts();
            mainForm = std::make_unique<TMainForm>(dm, Services{dialogs, shell});
        });

        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(boxesBeforeMainWindow.size(), 1);
        const MessageBoxSpec &box = dialogs.boxes().first();
        QCOMPARE(box.caption, QStringLiteral("Corvel Launcher"));
        QCOMPARE(box.icon, MessageIcon::Error);
        QVERIFY2(box.text.contains(QStringLiteral("[FreeTDS]")), qPrintable(box.text));
        QCOMPARE(dialogs.boxes().size(), 1);
        QVERIFY(mainForm);
        mainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(mainForm.get()));
        auto *login = mainForm->findChild<QAction *>(QStringLiteral("Login1"));
        QVERIFY(login->isVisible() && login->isEnabled());
        QCOMPARE(dm.ChoosenStyle, QStringLiteral("Lavender Classico"));
        QVERIFY(!dm.ADOConnection1.isOpen());
    }
};

CORVEL_TEST(HungServerStartUpTest)
#include "HungServerStartUpTest_posix.moc"
