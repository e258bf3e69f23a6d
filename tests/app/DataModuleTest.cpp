#include "TestRegistry.h"
#include "Workstation.h"
#include "app/DataModule1.h"
#include "data/DatabaseError.h"
#include "platform/SystemError.h"
#include "settings/SettingsWriteError.h"
#include "settings/WorkstationSettings.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace corvel;
using corvel::test::Workstation;

namespace {

const QByteArray kNoFile = QByteArrayLiteral("<no file>");
const QByteArray kDefaultStyleOnly =
    QByteArrayLiteral("[ChoosenStyle]\r\nStyle=Lavender Classico\r\n");

void writeSettingsOrRemove(Workstation &ws, const QByteArray &settings)
{
    if (settings == kNoFile)
        QFile::remove(ws.settingsPath());
    else
        ws.writeSettings(settings);
}

} // namespace

class DataModuleTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_computerName = qgetenv("COMPUTERNAME");
        m_hadComputerName = qEnvironmentVariableIsSet("COMPUTERNAME");
        qputenv("COMPUTERNAME", "HR-DESK-07");
    }

    void cleanup()
    {
        if (m_hadComputerName)
            qputenv("COMPUTERNAME", m_computerName);
        else
            qunsetenv("COMPUTERNAME");
    }

    void connectionStringIsBuiltFromTheSettings_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("expected");
        QTest::newRow("full settings")
            << "3.5.3.0"
            << QByteArray("[Database]\r\nUserName=hr_app\r\nCatalog=CorvelHR\r\n"
                          "Source=10.20.0.5\r\n")
            << "Provider=SQLOLEDB.1;Password=Kelvo8362;Persist Security Info=True;"
               "User ID=hr_app;Initial Catalog=CorvelHR;Data Source=10.20.0.5;"
               "Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
               "Workstation ID=CorvelLauncher-V3.5.3.0 HR-DESK-07;"
               "Use Encryption for Data=False;Tag with column collation when possible=False;";
        QTest::newRow("names in other letter case")
            << "1.0.0.0"
            << QByteArray("[database]\r\nUSERNAME=hr_app\r\ncatalog=CorvelHR\r\nsource=srv\r\n")
            << "Provider=SQLOLEDB.1;Password=Kelvo8362;Persist Security Info=True;"
               "User ID=hr_app;Initial Catalog=CorvelHR;Data Source=srv;"
               "Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
               "Workstation ID=CorvelLauncher-V1.0.0.0 HR-DESK-07;"
               "Use Encryption for Data=False;Tag with column collation when possible=False;";
        const QString emptyNames =
            "Provider=SQLOLEDB.1;Password=Kelvo8362;Persist Security Info=True;"
            "User ID=;Initial Catalog=;Data Source=;"
            "Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
            "Workstation ID=CorvelLauncher-V10.2.0.65535 HR-DESK-07;"
            "Use Encryption for Data=False;Tag with column collation when possible=False;";
        QTest::newRow("empty file") << "10.2.0.65535" << QByteArray() << emptyNames;
        QTest::newRow("no file") << "10.2.0.65535" << kNoFile << emptyNames;
        QTest::newRow("semicolon in a value is inserted unchanged")
            << "1.0.0.0" << QByteArray("[Database]\r\nCatalog=Corvel;Timeout=1\r\nSource=srv\r\n")
            << "Provider=SQLOLEDB.1;Password=Kelvo8362;Persist Security Info=True;"
               "User ID=;Initial Catalog=Corvel;Timeout=1;Data Source=srv;"
               "Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
               "Workstation ID=CorvelLauncher-V1.0.0.0 HR-DESK-07;"
               "Use Encryption for Data=False;Tag with column collation when possible=False;";
    }

    void connectionStringIsBuiltFromTheSettings()
    {
        QFETCH(QString, version);
        QFETCH(QByteArray, settings);
        QFETCH(QString, expected);
        Workstation ws(version);
        writeSettingsOrRemove(ws, settings);
        TDataModule1 dm(ws.launcherPath());

        dm.ADOConnection1BeforeConnect();

        QCOMPARE(dm.ADOConnection1.connectionString(), expected);
        QCOMPARE(dm.Current_Version, version);
    }

    void workstationIdEndsWithVersionAndBlankWithoutComputerName()
    {
        qunsetenv("COMPUTERNAME");
        Workstation ws(QStringLiteral("2.1.0.7"));
        TDataModule1 dm(ws.launcherPath());

        dm.ADOConnection1BeforeConnect();

        QVERIFY(dm.ADOConnection1.connectionString().contains(
            QStringLiteral(";Workstation ID=CorvelLauncher-V2.1.0.7 ;Use Encryption")));
    }

    void sessionFieldsComeFromTheSettings_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("settingsAfter");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("portal");
        const QString defaultPortal = settings::kDefaultPortalUrl;
        QTest::newRow("no file: created with the default style only")
            << kNoFile << kDefaultStyleOnly << "Lavender Classico" << defaultPortal;
        QTest::newRow("empty file gets the default style")
            << QByteArray() << kDefaultStyleOnly << "Lavender Classico" << defaultPortal;
        QTest::newRow("style section without keys gets the default under it")
            << QByteArray("[ChoosenStyle]\r\n[CorvelPortal]\r\nURL=https://hr.example/\r\n")
            << QByteArray("[ChoosenStyle]\r\nStyle=Lavender Classico\r\n"
                          "[CorvelPortal]\r\nURL=https://hr.example/\r\n")
            << "Lavender Classico"
            << "https://hr.example/";
        const QByteArray otherKey("[ChoosenStyle]\r\nColour=Blue\r\n");
        QTest::newRow("style section with another key is left alone")
            << otherKey << otherKey << "Lavender Classico" << defaultPortal;
        const QByteArray emptyStyle("[ChoosenStyle]\r\nStyle=\r\n");
        QTest::newRow("empty style stays empty") << emptyStyle << emptyStyle << "" << defaultPortal;
        const QByteArray emptyUrl("[ChoosenStyle]\r\nStyle=obsidian\r\n[CorvelPortal]\r\nURL=\r\n");
        QTest::newRow("empty portal address stays empty") << emptyUrl << emptyUrl << "obsidian"
                                                          << "";
    }

    void sessionFieldsComeFromTheSettings()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, settingsAfter);
        QFETCH(QString, style);
        QFETCH(QString, portal);
        Workstation ws;
        writeSettingsOrRemove(ws, settings);
        TDataModule1 dm(ws.launcherPath());

        dm.ADOConnection1BeforeConnect();

        QCOMPARE(ws.readSettings(), settingsAfter);
        QCOMPARE(dm.ChoosenStyle, style);
        QCOMPARE(dm.CorvelPortal_URL, portal);
        QCOMPARE(dm.Local_Path, ws.folder());
        QVERIFY(dm.Current_UserID.isEmpty());
        QVERIFY(dm.Current_Password.isEmpty());
    }

    // -1: left to the connection; 0: no; 1: yes.
    void encryptionKeysAreReadAsYesNo_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<int>("encrypt");
        QTest::addColumn<int>("trust");
        QTest::newRow("absent") << QByteArray() << -1 << -1;
        QTest::newRow("empty") << QByteArray("Encrypt=\r\nTrustServerCertificate=\r\n") << -1 << -1;
        QTest::newRow("1 and 0") << QByteArray("Encrypt=1\r\nTrustServerCertificate=0\r\n") << 1
                                 << 0;
        QTest::newRow("0 and 1") << QByteArray("encrypt=0\r\ntrustservercertificate=1\r\n") << 0
                                 << 1;
        QTest::newRow("words") << QByteArray("Encrypt=No\r\nTrustServerCertificate=Yes\r\n") << 0
                               << 1;
        QTest::newRow("anything else takes the safer side")
            << QByteArray("Encrypt=off\r\nTrustServerCertificate=sometimes\r\n") << 1 << 0;
    }
    void encryptionKeysAreReadAsYesNo()
    {
        QFETCH(QByteArray, keys);
        QFETCH(int, encrypt);
        QFETCH(int, trust);
        const auto setting = [](int value) {
            return value < 0 ? std::nullopt : std::optional<bool>(value == 1);
        };
        Workstation ws;
        ws.writeSettings("[Database]\r\nSource=db01\r\n" + keys);
        TDataModule1 dm(ws.launcherPath());

        dm.ADOConnection1BeforeConnect();

        QCOMPARE(dm.ADOConnection1.engineOptions().encryption,
                 (ServerEncryption{setting(encrypt), setting(trust)}));
    }

    void distributionPathIsTakenUnchanged()
    {
        Workstation ws;
        ws.writeSettings("[Distribution_Pathes]\r\nSharedFolder_Path=\\\\fs01\\Corvel\\Dist\\\r\n"
                         "[ChoosenStyle]\r\nStyle=Sky\r\n");
        TDataModule1 dm(ws.launcherPath());

        dm.ADOConnection1BeforeConnect();

        QCOMPARE(dm.Distribution_Path, QStringLiteral("\\\\fs01\\Corvel\\Dist\\"));
    }

    void withoutSettingsTheConnectionIsAttemptedWithEmptyNames()
    {
        Workstation ws;
        TDataModule1 dm(ws.launcherPath());

        QVERIFY_THROWS_EXCEPTION(DatabaseError, dm.DataModuleCreate());

        QVERIFY(!dm.ADOConnection1.isOpen());
        QVERIFY(dm.ADOConnection1.connectionString().contains(
            QStringLiteral(";User ID=;Initial Catalog=;Data Source=;")));
        QCOMPARE(ws.readSettings(), kDefaultStyleOnly);
        QCOMPARE(dm.ChoosenStyle, QStringLiteral("Lavender Classico"));
    }

    void seededWorkstationConnects()
    {
        Workstation ws;
        ws.useSeededDatabase();
        TDataModule1 dm(ws.launcherPath());

        dm.DataModuleCreate();

        QVERIFY(dm.ADOConnection1.isOpen());
        dm.RemoteVersionQ.setParameter(QStringLiteral("App_ID"), QStringLiteral("CorvelLauncher"));
        dm.RemoteVersionQ.open();
        QVERIFY(!dm.RemoteVersionQ.isEmpty());
    }

    void missingSQLiteFileIsReportedAndNotCreated()
    {
        Workstation ws;
        ws.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=missing.db\r\n");
        TDataModule1 dm(ws.launcherPath());

        try {
            dm.DataModuleCreate();
            QFAIL("the connection opened without a database file");
        } catch (const DatabaseError &e) {
            QVERIFY2(e.message().contains(ws.path(QStringLiteral("missing.db"))),
                     qPrintable(e.message()));
        }
        QVERIFY(!dm.ADOConnection1.isOpen());
        QVERIFY(!QFile::exists(ws.path(QStringLiteral("missing.db"))));
    }

    void secondAttemptAfterAFailureRereadsEverything()
    {
        Workstation ws(QStringLiteral("1.0.0.0"));
        ws.useSeededDatabase();
        ws.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=wrong.db\r\n"
                         "[ChoosenStyle]\r\nStyle=Sky\r\n");
        TDataModule1 dm(ws.launcherPath());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, dm.DataModuleCreate());
        QCOMPARE(dm.ChoosenStyle, QStringLiteral("Sky"));

        ws.installExecutable(QStringLiteral("CorvelLauncher.exe"), QStringLiteral("1.2.0.0"));
        ws.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=corvel.db\r\nUserName=hr\r\n"
                         "[Distribution_Pathes]\r\nSharedFolder_Path=/srv/dist/\r\n"
                         "[ChoosenStyle]\r\nStyle=Obsidian\r\n"
                         "[CorvelPortal]\r\nURL=https://hr.example/\r\n");
        dm.RemoteVersionQ.setParameter(QStringLiteral("App_ID"), QStringLiteral("CorvelLauncher"));
        dm.RemoteVersionQ.open();

        QVERIFY(dm.ADOConnection1.isOpen());
        QCOMPARE(dm.Current_Version, QStringLiteral("1.2.0.0"));
        QCOMPARE(dm.Distribution_Path, QStringLiteral("/srv/dist/"));
        QCOMPARE(dm.ChoosenStyle, QStringLiteral("Obsidian"));
        QCOMPARE(dm.CorvelPortal_URL, QStringLiteral("https://hr.example/"));
        const QString connection = dm.ADOConnection1.connectionString();
        QVERIFY(connection.contains(QStringLiteral("User ID=hr;Initial Catalog=corvel.db;")));
        QVERIFY(connection.contains(QStringLiteral("CorvelLauncher-V1.2.0.0 HR-DESK-07;")));
    }

    void editsWhileConnectedWaitForTheNextStart()
    {
        Workstation ws;
        ws.useSeededDatabase();
        TDataModule1 dm(ws.launcherPath());
        dm.DataModuleCreate();
        const QString connection = dm.ADOConnection1.connectionString();

        ws.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=corvel.db\r\n"
                         "[ChoosenStyle]\r\nStyle=Auric\r\n");
        dm.UsersRolesQ.setParameter(QStringLiteral("UserName"), QStringLiteral("admin"));
        dm.UsersRolesQ.open();

        QCOMPARE(dm.ChoosenStyle, QStringLiteral("Lavender Classico"));
        QCOMPARE(dm.ADOConnection1.connectionString(), connection);
    }

    void launcherWithoutAVersionStopsBeforeEverything_data()
    {
        QTest::addColumn<QByteArray>("launcher");
        QTest::addColumn<int>("code");
        QTest::newRow("no version note") << QByteArray(4096, 'x') << -1;
        QTest::newRow("missing file") << QByteArray() << int(SystemError::FileNotFound);
    }

    void launcherWithoutAVersionStopsBeforeEverything()
    {
        QFETCH(QByteArray, launcher);
        QFETCH(int, code);
        Workstation ws;
        ws.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=corvel.db\r\n");
        QFile::remove(ws.launcherPath());
        if (!launcher.isEmpty()) {
            QFile file(ws.launcherPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(launcher);
        }
        TDataModule1 dm(ws.launcherPath());

        try {
            dm.DataModuleCreate();
            QFAIL("the connection was attempted without a version");
        } catch (const SystemError &e) {
            if (code >= 0)
                QCOMPARE(e.code(), code);
            QVERIFY(e.message().startsWith(QStringLiteral("System Error.  Code: ")));
        }
        QVERIFY(dm.ADOConnection1.connectionString().isEmpty());
        QVERIFY(dm.Current_Version.isEmpty());
        QVERIFY(dm.Local_Path.isEmpty());
        QVERIFY(dm.Distribution_Path.isEmpty());
        QVERIFY(dm.ChoosenStyle.isEmpty());
        QVERIFY(dm.CorvelPortal_URL.isEmpty());
        QCOMPARE(ws.readSettings(),
                 QByteArray("[Database]\r\nEngine=SQLite\r\nCatalog=corvel.db\r\n"));
    }

    void unwritableSettingsWithoutStyleSectionStopAfterTheDistributionPath()
    {
        Workstation ws;
        const QByteArray settings("[Database]\r\nEngine=SQLite\r\nCatalog=corvel.db\r\n"
                                  "[Distribution_Pathes]\r\nSharedFolder_Path=/srv/dist/\r\n");
        ws.writeSettings(settings);
        QFile::setPermissions(ws.settingsPath(), QFile::ReadOwner | QFile::ReadGroup);
        TDataModule1 dm(ws.launcherPath());

        try {
            dm.DataModuleCreate();
            QFAIL("the default style was written to a read-only file");
        } catch (const SettingsWriteError &e) {
            QCOMPARE(e.message(), QStringLiteral("Unable to write to ") + ws.settingsPath());
        }
        QCOMPARE(dm.Current_Version, QStringLiteral("1.0.0.0"));
        QCOMPARE(dm.Local_Path, ws.folder());
        QCOMPARE(dm.Distribution_Path, QStringLiteral("/srv/dist/"));
        QVERIFY(dm.ChoosenStyle.isEmpty());
        QVERIFY(dm.CorvelPortal_URL.isEmpty());
        QVERIFY(dm.ADOConnection1.connectionString().isEmpty());
        QCOMPARE(ws.readSettings(), settings);
    }

    void settingsNameTakenByAFolderCannotBeWritten()
    {
        Workstation ws;
        QVERIFY(QDir(ws.folder()).mkdir(QStringLiteral("Workers.ini")));
        TDataModule1 dm(ws.launcherPath());

        QVERIFY_THROWS_EXCEPTION(SettingsWriteError, dm.DataModuleCreate());
        QCOMPARE(dm.Current_Version, QStringLiteral("1.0.0.0"));
        QVERIFY(dm.ChoosenStyle.isEmpty());
    }

private:
    QByteArray m_computerName;
    bool m_hadComputerName = false;
};

CORVEL_TEST(DataModuleTest)
#include "DataModuleTest.moc"
