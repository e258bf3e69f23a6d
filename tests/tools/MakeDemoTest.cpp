#include "TestFiles.h"
#include "TestRegistry.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using corvel::test::contentOf;
using corvel::test::writeFile;

// The demo builder clears its target first: only a folder it laid out itself may go.
class MakeDemoTest : public QObject
{
    Q_OBJECT

private:
    QString m_errors;

    int makeDemo(const QString &target)
    {
        QProcess process;
        process.start(QStringLiteral("bash"), {QStringLiteral(CORVEL_SOURCE_DIR "/tools/make-demo"),
                                               QStringLiteral(CORVEL_BIN_DIR "/.."), target});
        if (!process.waitForFinished(180000))
            return -1;
        m_errors = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("bash")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
            QSKIP("make-demo needs bash and the sqlite3 command");
    }

    void wipesOnlyAFolderItMadeItself()
    {
        QTemporaryDir root;
        const QString workstation = root.filePath(QStringLiteral("workstation"));
        writeFile(workstation + QStringLiteral("/Workers.ini"), "[Database]\r\nCatalog=HR\r\n");
        writeFile(workstation + QStringLiteral("/CorvelMap.exe"), "module");
        QCOMPARE(makeDemo(workstation), 1);
        QVERIFY2(m_errors.contains(QStringLiteral("was not made by make-demo")),
                 qPrintable(m_errors));
        QCOMPARE(contentOf(workstation + QStringLiteral("/Workers.ini")),
                 QByteArray("[Database]\r\nCatalog=HR\r\n"));
        QCOMPARE(QDir(workstation).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("CorvelMap.exe"), QStringLiteral("Workers.ini")}));

        const QString demo = root.filePath(QStringLiteral("demo"));
        QCOMPARE(makeDemo(demo), 0);
        writeFile(demo + QStringLiteral("/left-over.txt"), "from the last demo");
        QCOMPARE(makeDemo(demo), 0);
        QVERIFY(QFile::exists(demo + QStringLiteral("/Workers.ini")));
        QVERIFY(!QFile::exists(demo + QStringLiteral("/left-over.txt")));
    }
};

CORVEL_TEST(MakeDemoTest)
#include "MakeDemoTest.moc"
