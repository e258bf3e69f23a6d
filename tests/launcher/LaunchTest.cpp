#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "launcher/ModuleCatalogue.h"
#include "launcher/ModuleLaunch.h"
#include "platform/DesktopShell.h"
#include "platform/SystemError.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include "Fifo.h"
#endif

using namespace corvel;
using namespace corvel::test;

namespace {

const ModuleRecord &module(const QString &appId)
{
    for (const ModuleRecord &record : catalogue::tiles()) {
        if (record.appId == appId)
            return record;
    }
    qFatal("no module %s", qPrintable(appId));
}

QJsonArray recordedArguments(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).array()
                                          : QJsonArray();
}

// A logged-in workstation on the seeded database, every module installed at its published
// version.
struct Session
{
    Session()
    {
        workstation.useSeededDatabase();
        for (const ModuleRecord &record : catalogue::modules())
            workstation.installExecutable(record.executable, QStringLiteral("1.0.0.0"));
        workstation.exec(QStringLiteral(
            "UPDATE AppsVersions SET App_Version = '1.0.0.0' WHERE App_ID = 'CorvelAttendance'"));
        dataModule = std::make_unique<TDataModule1>(workstation.launcherPath());
        dataModule->DataModuleCreate();
        dataModule->Current_UserID = QStringLiteral("clerk");
        dataModule->Current_Password = QStringLiteral("clerk1");
    }

    void publish(const QString &appId, const QString &version)
    {
        workstation.exec(
            QStringLiteral("UPDATE AppsVersions SET App_Version = %1 WHERE App_ID = '%2'")
                .arg(version.isNull() ? QStringLiteral("NULL") : u'\'' + version + u'\'', appId));
    }

    void launch(const QString &appId) { ModuleLaunch(*dataModule, services).launch(module(appId)); }

    Workstation workstation;
    ScriptedDialogService dialogs;
    RecordingShell shell;
    Services services{dialogs, shell};
    std::unique_ptr<TDataModule1> dataModule;
};

} // namespace

class LaunchTest : public QObject
{
    Q_OBJECT

private slots:
    void moduleStartsOnlyWhenVersionsMatchAsWholeText_data()
    {
        QTest::addColumn<QString>("published");
        QTest::addColumn<bool>("starts");

        QTest::newRow("equal") << QStringLiteral("1.2.0.5") << true;
        QTest::newRow("leading zero") << QStringLiteral("1.2.0.05") << false;
        QTest::newRow("trailing blank") << QStringLiteral("1.2.0.5 ") << false;
        QTest::newRow("older published") << QStringLiteral("1.2.0.4") << false;
        QTest::newRow("newer published") << QStringLiteral("1.2.0.6") << false;
        QTest::newRow("null published") << QString() << false;
    }

    void moduleStartsOnlyWhenVersionsMatchAsWholeText()
    {
        QFETCH(QString, published);
        QFETCH(bool, starts);
        Session session;
        session.workstation.installExecutable(QStringLiteral("CorvelMap.exe"),
                                              QStringLiteral("1.2.0.5"));
        session.publish(QStringLiteral("CorvelMap"), published);

        session.launch(QStringLiteral("CorvelMap"));

        if (starts) {
            QVERIFY(session.dialogs.boxes().isEmpty());
            QCOMPARE(session.shell.calls().size(), 1);
            QCOMPARE(session.shell.calls().first().file, QStringLiteral("CorvelMap.exe"));
            QVERIFY(session.shell.calls().first().ownedByMainWindow);
        } else {
            QVERIFY(session.shell.calls().isEmpty());
            QCOMPARE(session.dialogs.texts(),
                     QStringList{QStringLiteral("Please Upgrade CorvelMap\n\rVersion On Your PC: "
                                                "1.2.0.5\n\rVersion On Server: ") +
                                 published});
            QCOMPARE(session.dialogs.boxes().first().caption, QStringLiteral("Corvel Launcher"));
        }
    }

    void missingModuleRowIsReportedByAppId()
    {
        Session session;
        session.workstation.exec(
            QStringLiteral("DELETE FROM AppsVersions WHERE App_ID = 'CorvelPayroll'"));

        session.launch(QStringLiteral("CorvelPayroll"));

        QCOMPARE(session.dialogs.texts(),
                 QStringList{QStringLiteral("Could not find version info of CorvelPayroll")});
        QVERIFY(session.shell.calls().isEmpty());
    }

    void missingLauncherRowBlocksEveryModule()
    {
        Session session;
        session.workstation.exec(
            QStringLiteral("DELETE FROM AppsVersions WHERE App_ID = 'CorvelLauncher'"));

        for (const ModuleRecord &record : catalogue::modules()) {
            session.dialogs.clear();
            ModuleLaunch(*session.dataModule, session.services).launch(record);
            QCOMPARE(session.dialogs.texts(),
                     QStringList{QStringLiteral("Could not find version info of CorvelLauncher")});
        }
        QVERIFY(session.shell.calls().isEmpty());
    }

    void outdatedLauncherIsTheOnlyMessageWhenBothAreOutdated()
    {
        Session session;
        session.publish(QStringLiteral("CorvelLauncher"), QStringLiteral("1.0.0.1"));
        session.publish(QStringLiteral("CorvelEmployee"), QStringLiteral("2.0.0.0"));

        session.launch(QStringLiteral("CorvelEmployee"));

        QCOMPARE(session.dialogs.texts(),
                 QStringList{QStringLiteral("Please Upgrade CorvelLauncher\n\rVersion On Your PC: "
                                            "1.0.0.0\n\rVersion On Server: 1.0.0.1")});
        QVERIFY(session.shell.calls().isEmpty());
    }

    void launcherChecksItsFileByFixedNameNotItsSessionVersion()
    {
        Session session;
        session.dataModule->Current_Version = QStringLiteral("9.9.9.9");
        session.workstation.installExecutable(QStringLiteral("CorvelLauncher.exe"),
                                              QStringLiteral("1.0.0.3"));

        QVERIFY(ModuleLaunch(*session.dataModule, session.services).NeedUpdate());
        QCOMPARE(session.dialogs.texts(),
                 QStringList{QStringLiteral("Please Upgrade CorvelLauncher\n\rVersion On Your PC: "
                                            "1.0.0.3\n\rVersion On Server: 1.0.0.0")});
    }

    void missingModuleFileFailsBeforeTheDatabaseIsAsked()
    {
        Session session;
        QFile::remove(session.workstation.path(QStringLiteral("CorvelOperations.exe")));
        // Distinct from the launcher's row, so a look-up of the module would show.
        session.publish(QStringLiteral("CorvelOperations"), QStringLiteral("7.7.7.7"));

        try {
            session.launch(QStringLiteral("CorvelOperations"));
            QFAIL("the missing file was not reported");
        } catch (const SystemError &error) {
            QCOMPARE(error.code(), SystemError::FileNotFound);
        }
        QCOMPARE(session.dataModule->RemoteVersionQ.text(QStringLiteral("App_Version")),
                 QStringLiteral("1.0.0.0"));
        QVERIFY(session.dialogs.boxes().isEmpty());
        QVERIFY(session.shell.calls().isEmpty());
    }

    void moduleThatIsAFifoFailsWithoutWaiting()
    {
#ifdef Q_OS_UNIX
        Session session;
        const QString module = session.workstation.path(QStringLiteral("CorvelMap.exe"));
        QFile::remove(module);
        const Fifo fifo(module);
        QVERIFY(fifo.made());

        try {
            session.launch(QStringLiteral("CorvelMap"));
            QFAIL("the FIFO was taken for a module");
        } catch (const SystemError &error) {
            QCOMPARE(error.code(), SystemError::ResourceTypeNotFound);
        }
        QVERIFY(!fifo.readerWaited());
        QVERIFY(session.shell.calls().isEmpty());
#else
        QSKIP("needs FIFOs");
#endif
    }

    void missingLauncherFileFailsBeforeTheDatabaseIsAsked()
    {
        Session session;
        QFile::remove(session.workstation.launcherPath());

        QVERIFY_THROWS_EXCEPTION(SystemError, session.launch(QStringLiteral("CorvelMap")));
        QVERIFY(!session.dataModule->RemoteVersionQ.isOpen());
        QVERIFY(session.shell.calls().isEmpty());
    }

    void invoicingChecksAndStartsTheInvoicingFile()
    {
        Session session;
        // No revenue file and no revenue row: neither may be looked at.
        QFile::remove(session.workstation.path(QStringLiteral("CorvelRevenue.exe")));
        session.workstation.installExecutable(QStringLiteral("CorvelInvoicing.exe"),
                                              QStringLiteral("3.0.0.0"));
        session.publish(QStringLiteral("CorvelInvoicing"), QStringLiteral("3.0.0.0"));

        ModuleLaunch(*session.dataModule, session.services)
            .launch(*catalogue::findByLaunchButton(QStringLiteral("btn_LaunchCorvelRevenue")));

        QVERIFY(session.dialogs.boxes().isEmpty());
        QCOMPARE(session.shell.calls().size(), 1);
        QCOMPARE(session.shell.calls().first().file, QStringLiteral("CorvelInvoicing.exe"));
    }

    void parameterTextIsIdBlankPasswordUnquoted_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("parameters");

        QTest::newRow("plain") << "clerk"
                               << "clerk1"
                               << "clerk clerk1";
        QTest::newRow("empty password") << "clerk"
                                        << ""
                                        << "clerk ";
        QTest::newRow("empty user") << ""
                                    << "secret"
                                    << " secret";
        QTest::newRow("blanks inside") << "John Smith"
                                       << "p w"
                                       << "John Smith p w";
        QTest::newRow("quote inside") << "o\"neil"
                                      << "x"
                                      << "o\"neil x";
    }

    void parameterTextIsIdBlankPasswordUnquoted()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, parameters);
        Session session;
        session.dataModule->Current_UserID = user;
        session.dataModule->Current_Password = password;

        session.launch(QStringLiteral("CorvelEmployee"));

        QCOMPARE(session.shell.calls().size(), 1);
        QCOMPARE(session.shell.calls().first().parameters, parameters);
    }

    void startedModuleReceivesUserIdAndPassword()
    {
        qputenv("CORVEL_STUB_NO_WINDOW", "1");
        qputenv("CORVEL_STUB_RECORD_ARGS", "1");
        Session session;
        DesktopShell shell(session.workstation.folder());
        const Services services{session.dialogs, shell};
        const QString record = session.workstation.path(QStringLiteral("CorvelEmployee.args"));

        ModuleLaunch(*session.dataModule, services)
            .launch(module(QStringLiteral("CorvelEmployee")));

        QTRY_COMPARE_WITH_TIMEOUT(recordedArguments(record),
                                  QJsonArray({QStringLiteral("clerk"), QStringLiteral("clerk1")}),
                                  10000);
        qunsetenv("CORVEL_STUB_RECORD_ARGS");
        qunsetenv("CORVEL_STUB_NO_WINDOW");
    }
};

CORVEL_TEST(LaunchTest)
#include "LaunchTest.moc"
