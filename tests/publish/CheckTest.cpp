#include "PublishFixture.h"
#include "TestFiles.h"
#include "TestRegistry.h"

#include <QTest>

using corvel::test::PublishFixture;
using corvel::test::writeFile;

// --check compares every row with the program the launcher would compare it with.
class CheckTest : public QObject
{
    Q_OBJECT

private slots:
    void findsEveryRowThatDiffersFromTheShare_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("line");
        QTest::newRow("all match")
            << QString() << QString() << QString() << 0 << "  ok        CorvelMap 1.0.0.0\n";
        QTest::newRow("leading zero")
            << "Update AppsVersions Set App_Version = '1.00.0.0' Where App_ID = 'CorvelMap'"
            << QString() << QString() << 1
            << "MISMATCH  CorvelMap: the row says \"1.00.0.0\", CorvelMap.exe is version 1.0.0.0";
        QTest::newRow("trailing blank")
            << "Update AppsVersions Set App_Version = '1.0.0.0 ' Where App_ID = 'CorvelMap'"
            << QString() << QString() << 1 << "the row says \"1.0.0.0 \"";
        QTest::newRow("null version")
            << "Update AppsVersions Set App_Version = Null Where App_ID = 'CorvelMap'" << QString()
            << QString() << 1 << "the row says null";
        QTest::newRow("newer file") << QString() << "CorvelPayroll.exe"
                                    << "1.0.0.1" << 1 << "CorvelPayroll.exe is version 1.0.0.1";
        QTest::newRow("missing file")
            << QString() << "CorvelPayroll.exe" << QString() << 1 << "CorvelPayroll.exe is missing";
        QTest::newRow("file without version")
            << QString() << "CorvelPayroll.exe"
            << "none" << 1 << "CorvelPayroll.exe has no version resource";
        QTest::newRow("invoicing row checks CorvelInvoicing.exe, not CorvelRevenue.exe")
            << QString() << "CorvelRevenue.exe"
            << "9.0.0.0" << 0 << "  ok        CorvelInvoicing 1.0.0.0\n";
        QTest::newRow("row letter case as the database compares it")
            << "Update AppsVersions Set App_ID = 'corvelmap' Where App_ID = 'CorvelMap'"
            << QString() << QString() << 0 << "  ok        corvelmap 1.0.0.0\n";
        QTest::newRow("row of no catalogue program")
            << "Insert Into AppsVersions Values ('CorvelRevenue', '5.0.0.0')" << QString()
            << QString() << 0 << "  skipped   CorvelRevenue: not a program of the launcher\n";
        QTest::newRow("no launcher row")
            << "Delete From AppsVersions Where App_ID = 'CorvelLauncher'" << QString() << QString()
            << 1 << "MISMATCH  CorvelLauncher: no row, so the launcher starts no module";
        QTest::newRow("no module row")
            << "Delete From AppsVersions Where App_ID = 'CorvelPayroll'" << QString() << QString()
            << 0 << "no row    CorvelPayroll: no row, so the launcher will not start it";
    }
    void findsEveryRowThatDiffersFromTheShare()
    {
        QFETCH(QString, sql);
        QFETCH(QString, file);
        QFETCH(QString, version);
        QFETCH(int, exitCode);
        QFETCH(QString, line);
        PublishFixture f;
        if (!sql.isEmpty())
            f.workstation().exec(sql);
        if (version == QStringLiteral("none"))
            writeFile(f.share() + file, "not a program");
        else if (!version.isEmpty())
            f.program(f.share(), file, version);
        else if (!file.isEmpty())
            QFile::remove(f.share() + file);

        QCOMPARE(f.check(), exitCode);
        QVERIFY2(f.out.contains(line), qPrintable(f.out));
        QCOMPARE(f.out.count(QStringLiteral("MISMATCH")), exitCode);
    }

    void saysWhenTheShareOrTheDatabaseCannotBeReached()
    {
        PublishFixture f;
        f.writeSettings(QByteArray(),
                        QDir::toNativeSeparators(f.share() + QStringLiteral("gone/")));
        QCOMPARE(f.check(), 5);
        QVERIFY2(f.err.contains(QStringLiteral("cannot be reached")), qPrintable(f.err));
        f.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=gone.db\r\n",
                        QDir::toNativeSeparators(f.share()));
        QCOMPARE(f.check(), 6);
        QVERIFY2(f.err.contains(QStringLiteral("gone.db does not exist")), qPrintable(f.err));
    }
};

CORVEL_TEST(CheckTest)
#include "CheckTest.moc"
