#include "data/ConnectionString.h"
#include "TestRegistry.h"
#include "data/Connection.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using corvel::Connection;
namespace connectionstring = corvel::connectionstring;

class ConnectionStringTest : public QObject
{
    Q_OBJECT

private slots:
    void buildsTheLauncherStringPieceByPiece_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("catalog");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("computer");
        QTest::addColumn<QString>("expected");

        QTest::newRow("all settings")
            << "corvel_app"
            << "CorvelHR"
            << "db01\\HR"
            << "1.2.3.4"
            << "PC-17"
            << "Provider=SQLOLEDB.1;Password=Kelvo8362;Persist Security Info=True;"
               "User ID=corvel_app;Initial Catalog=CorvelHR;Data Source=db01\\HR;"
               "Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
               "Workstation ID=CorvelLauncher-V1.2.3.4 PC-17;Use Encryption for Data=False;"
               "Tag with column collation when possible=False;";
        QTest::newRow("missing settings and no computer name")
            << ""
            << ""
            << ""
            << "3.5.3.0"
            << ""
            << "Provider=SQLOLEDB.1;Password=Kelvo8362;Persist Security Info=True;"
               "User ID=;Initial Catalog=;Data Source=;"
               "Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
               "Workstation ID=CorvelLauncher-V3.5.3.0 ;Use Encryption for Data=False;"
               "Tag with column collation when possible=False;";
    }
    void buildsTheLauncherStringPieceByPiece()
    {
        QFETCH(QString, user);
        QFETCH(QString, catalog);
        QFETCH(QString, source);
        QFETCH(QString, version);
        QFETCH(QString, computer);
        QFETCH(QString, expected);
        QCOMPARE(connectionstring::build(user, catalog, source, version, computer), expected);
    }

    void emptyComputerNameLeavesTheVersionAndOneBlank()
    {
        const QString built =
            connectionstring::build(QStringLiteral("u"), QStringLiteral("c"), QStringLiteral("s"),
                                    QStringLiteral("1.0.0.0"), QString());
        QCOMPARE(connectionstring::attribute(built, QStringLiteral("Workstation ID")),
                 QStringLiteral("CorvelLauncher-V1.0.0.0 "));
    }

    void settingWithSemicolonSplitsItsAttribute()
    {
        const QString built = connectionstring::build(
            QStringLiteral("sa;Initial Catalog=master"), QStringLiteral("CorvelHR"),
            QStringLiteral("db01"), QStringLiteral("1.0.0.0"), QStringLiteral("PC"));
        QVERIFY(built.contains(QStringLiteral("User ID=sa;Initial Catalog=master;")));
        QCOMPARE(connectionstring::attribute(built, QStringLiteral("User ID")),
                 QStringLiteral("sa"));
        // The injected attribute comes first and wins, as it always did.
        QCOMPARE(connectionstring::attribute(built, QStringLiteral("Initial Catalog")),
                 QStringLiteral("master"));
    }

    void attributesAreFoundWithoutRegardToCase_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("other case") << "Data Source=db01;"
                                    << "data source"
                                    << "db01";
        QTest::newRow("value holding =") << "Password=a=b;"
                                         << "Password"
                                         << "a=b";
        QTest::newRow("absent") << "Data Source=db01;"
                                << "User ID"
                                << "";
        QTest::newRow("piece without =") << "junk;User ID=u"
                                         << "User ID"
                                         << "u";
        QTest::newRow("empty value") << "User ID=;"
                                     << "User ID"
                                     << "";
    }
    void attributesAreFoundWithoutRegardToCase()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(connectionstring::attribute(text, key), expected);
    }

    void parseKeepsOrderAndDropsPiecesWithoutEquals()
    {
        const auto attributes = connectionstring::parse(QStringLiteral("A=1;junk;B=;C=x=y;"));
        QCOMPARE(attributes.size(), 3);
        QCOMPARE(attributes.at(0), qMakePair(QStringLiteral("A"), QStringLiteral("1")));
        QCOMPARE(attributes.at(1), qMakePair(QStringLiteral("B"), QString()));
        QCOMPARE(attributes.at(2), qMakePair(QStringLiteral("C"), QStringLiteral("x=y")));
    }

    void odbcStringNamesServerDatabaseAndLogin_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("expected");
        const QString common =
            QStringLiteral("SERVER=db01\\HR;DATABASE=CorvelHR;UID={corvel_app};PWD={Kelvo8362};"
                           "WSID=CorvelLauncher-V1.2.3.4 PC-17;APP=Corvel Launcher;");
        QTest::newRow("FreeTDS") << "FreeTDS"
                                 << "DRIVER={FreeTDS};" + common +
                                        "TDS_Version=7.4;ClientCharset=UTF-8;Encryption=off;"
                                        "PacketSize=4096;Timeout=30;";
        QTest::newRow("Microsoft")
            << "ODBC Driver 18 for SQL Server"
            << "DRIVER={ODBC Driver 18 for SQL Server};" + common + "Encrypt=no;";
        QTest::newRow("Windows' own") << "SQL Server"
                                      << "DRIVER={SQL Server};" + common;
        QTest::newRow("SQLite ODBC driver, waiting milliseconds")
            << "SQLite3"
            << "DRIVER={SQLite3};" + common + "Timeout=30000;";
        QTest::newRow("other driver") << "PostgreSQL Unicode"
                                      << "DRIVER={PostgreSQL Unicode};" + common;
    }
    void odbcStringNamesServerDatabaseAndLogin()
    {
        QFETCH(QString, driver);
        QFETCH(QString, expected);
        const QString launcher = connectionstring::build(
            QStringLiteral("corvel_app"), QStringLiteral("CorvelHR"), QStringLiteral("db01\\HR"),
            QStringLiteral("1.2.3.4"), QStringLiteral("PC-17"));
        QCOMPARE(Connection::odbcConnectionString(launcher, driver), expected);
    }

    // A setting that could end its value early or open a quote of its own is brace-quoted, so
    // it never swallows the attributes after it.
    void odbcStringQuotesValuesThatCouldSpillOver_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("catalog");
        QTest::addColumn<QString>("computer");
        QTest::addColumn<QString>("expected");
        auto odbc = [](const char *server, const char *database, const char *wsid) {
            return QStringLiteral("DRIVER={SQLite3};SERVER=%1;DATABASE=%2;UID={u};"
                                  "PWD={Kelvo8362};WSID=%3;APP=Corvel Launcher;Timeout=30000;")
                .arg(QLatin1String(server), QLatin1String(database), QLatin1String(wsid));
        };
        QTest::newRow("server opening a brace")
            << "{db01"
            << "HR"
            << "PC" << odbc("{{db01}", "HR", "CorvelLauncher-V1.2.3.4 PC");
        QTest::newRow("catalog closing a brace")
            << "db01"
            << "H}R"
            << "PC" << odbc("db01", "{H}}R}", "CorvelLauncher-V1.2.3.4 PC");
        QTest::newRow("server holding an equals sign")
            << "a=b"
            << "HR"
            << "PC" << odbc("{a=b}", "HR", "CorvelLauncher-V1.2.3.4 PC");
        QTest::newRow("catalog with blanks around it")
            << "db01"
            << " HR "
            << "PC" << odbc("db01", "{ HR }", "CorvelLauncher-V1.2.3.4 PC");
        QTest::newRow("computer name with braces")
            << "db01"
            << "HR"
            << "P}C{" << odbc("db01", "HR", "{CorvelLauncher-V1.2.3.4 P}}C{}");
        QTest::newRow("no computer name") << "db01"
                                          << "HR"
                                          << "" << odbc("db01", "HR", "{CorvelLauncher-V1.2.3.4 }");
    }
    void odbcStringQuotesValuesThatCouldSpillOver()
    {
        QFETCH(QString, source);
        QFETCH(QString, catalog);
        QFETCH(QString, computer);
        QFETCH(QString, expected);
        const QString launcher = connectionstring::build(QStringLiteral("u"), catalog, source,
                                                         QStringLiteral("1.2.3.4"), computer);
        QCOMPARE(Connection::odbcConnectionString(launcher, QStringLiteral("SQLite3")), expected);
    }

    void freeTdsIsGivenPort1433WhenTheSourceNamesNoPortOrInstance_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("port1433");
        QTest::newRow("host") << "db01" << true;
        QTest::newRow("address") << "10.0.0.12" << true;
        QTest::newRow("host and port") << "db01,1500" << false;
        QTest::newRow("named instance") << "db01\\HR" << false;
    }
    void freeTdsIsGivenPort1433WhenTheSourceNamesNoPortOrInstance()
    {
        QFETCH(QString, source);
        QFETCH(bool, port1433);
        const QString odbc = Connection::odbcConnectionString(
            connectionstring::build(QStringLiteral("u"), QStringLiteral("c"), source,
                                    QStringLiteral("1.0.0.0"), QStringLiteral("PC")),
            QStringLiteral("FreeTDS"));
        QVERIFY2(odbc.contains(QStringLiteral(";SERVER=") + source + u';'), qPrintable(odbc));
        QCOMPARE(odbc.contains(QStringLiteral(";Port=1433;")), port1433);
        QCOMPARE(odbc.count(QStringLiteral("Port=")), port1433 ? 1 : 0);
    }

    // -1: key absent; 0: no; 1: yes.
    void encryptionSettingsAreTranslatedForEachDriver_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<int>("encrypt");
        QTest::addColumn<int>("trust");
        QTest::addColumn<QString>("tail");
        const QString tds = QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;Encryption=%1;"
                                           "PacketSize=4096;Timeout=30;");
        const QString driver18 = QStringLiteral("ODBC Driver 18 for SQL Server");
        QTest::newRow("FreeTDS, no keys")
            << "FreeTDS" << -1 << -1 << tds.arg(QStringLiteral("off"));
        QTest::newRow("FreeTDS, encrypted")
            << "FreeTDS" << 1 << 1 << tds.arg(QStringLiteral("require"));
        QTest::newRow("FreeTDS, not encrypted")
            << "FreeTDS" << 0 << 0 << tds.arg(QStringLiteral("off"));
        QTest::newRow("Driver 18, no keys") << driver18 << -1 << -1 << "Encrypt=no;";
        QTest::newRow("Driver 18, certificate trusted")
            << driver18 << -1 << 1 << "Encrypt=no;TrustServerCertificate=yes;";
        QTest::newRow("Driver 18, encrypted and checked")
            << driver18 << 1 << 0 << "Encrypt=yes;TrustServerCertificate=no;";
        QTest::newRow("Driver 17, encrypted")
            << "ODBC Driver 17 for SQL Server" << 1 << -1 << "Encrypt=yes;";
        QTest::newRow("Windows' own, no keys") << "SQL Server" << -1 << -1 << "";
        QTest::newRow("Windows' own, both")
            << "SQL Server" << 1 << 1 << "Encrypt=yes;TrustServerCertificate=yes;";
        QTest::newRow("Native Client, not encrypted")
            << "SQL Server Native Client 11.0" << 0 << -1 << "Encrypt=no;";
    }
    void encryptionSettingsAreTranslatedForEachDriver()
    {
        QFETCH(QString, driver);
        QFETCH(int, encrypt);
        QFETCH(int, trust);
        QFETCH(QString, tail);
        const auto setting = [](int value) {
            return value < 0 ? std::nullopt : std::optional<bool>(value == 1);
        };
        const QString launcher = connectionstring::build(
            QStringLiteral("u"), QStringLiteral("c"), QStringLiteral("db01\\HR"),
            QStringLiteral("1.0.0.0"), QStringLiteral("PC"));
        const QString odbc =
            Connection::odbcConnectionString(launcher, driver, {setting(encrypt), setting(trust)});
        const QString app = QStringLiteral("APP=Corvel Launcher;");
        QCOMPARE(odbc.mid(odbc.indexOf(app) + app.size()), tail);
    }

    void odbcStringBraceQuotesLoginAndPassword_data()
    {
        QTest::addColumn<QString>("launcher");
        QTest::addColumn<QString>("uid");
        QTest::addColumn<QString>("pwd");
        QTest::newRow("closing brace doubled") << "User ID=a}b;Password=p}}w;"
                                               << "UID={a}}b};"
                                               << "PWD={p}}}}w};";
        QTest::newRow("opening brace and blanks kept") << "User ID= {x ;Password=;"
                                                       << "UID={ {x };"
                                                       << "PWD={};";
        QTest::newRow("equals sign kept") << "User ID=a=b;Password=c=d;"
                                          << "UID={a=b};"
                                          << "PWD={c=d};";
    }
    void odbcStringBraceQuotesLoginAndPassword()
    {
        QFETCH(QString, launcher);
        QFETCH(QString, uid);
        QFETCH(QString, pwd);
        const QString odbc = Connection::odbcConnectionString(launcher, QStringLiteral("FreeTDS"));
        QVERIFY2(odbc.contains(uid), qPrintable(odbc));
        QVERIFY2(odbc.contains(pwd), qPrintable(odbc));
    }

    void semicolonInPasswordCannotEscapeItsBraces()
    {
        // A ";" never reaches the ODBC string inside a value: the launcher's string has already
        // split there, and each half stays in its own attribute.
        const QString odbc = Connection::odbcConnectionString(
            QStringLiteral("User ID=u;Password=ab;DRIVER={Evil};"), QStringLiteral("FreeTDS"));
        QVERIFY(odbc.startsWith(QStringLiteral("DRIVER={FreeTDS};")));
        QVERIFY(odbc.contains(QStringLiteral("PWD={ab};")));
        QCOMPARE(odbc.count(QStringLiteral("DRIVER=")), 1);
    }

    void microsoftDriverIsPreferredWhenRegistered_data()
    {
        QTest::addColumn<QByteArray>("registry");
        QTest::addColumn<QString>("expected");
        QTest::newRow("only FreeTDS")
            << QByteArray("[FreeTDS]\nDriver=libtdsodbc.so\n\n[SQLite3]\nDriver=x.so\n")
            << "FreeTDS";
        QTest::newRow("Microsoft 18")
            << QByteArray("[FreeTDS]\nDriver=libtdsodbc.so\n\n[ODBC Driver 18 for SQL Server]\n"
                          "Description=Microsoft ODBC Driver 18 for SQL Server\n"
                          "Driver=/opt/microsoft/msodbcsql18/lib64/libmsodbcsql-18.so\n")
            << "ODBC Driver 18 for SQL Server";
        QTest::newRow("only an older Microsoft driver")
            << QByteArray("[ODBC Driver 17 for SQL Server]\nDriver=x.so\n") << "FreeTDS";
        QTest::newRow("no registry") << QByteArray() << "FreeTDS";
    }
    void microsoftDriverIsPreferredWhenRegistered()
    {
        QFETCH(QByteArray, registry);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("odbcinst.ini"));
        if (!registry.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(registry);
        }
        QCOMPARE(Connection::defaultSqlServerDriver(path), expected);
    }
};

CORVEL_TEST(ConnectionStringTest)
#include "ConnectionStringTest.moc"
