#include "TestRegistry.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The module stand-in is given the user's password: it keeps it only when asked to, and then
// where only its owner can read it.
class ModuleStubTest : public QObject
{
    Q_OBJECT

private slots:
    void recordsArgumentsOnlyWhenAsked_data()
    {
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("oldRecord");
        QTest::newRow("not asked") << false << false;
        QTest::newRow("asked") << true << false;
        QTest::newRow("asked, over a record readable by all") << true << true;
    }
    void recordsArgumentsOnlyWhenAsked()
    {
        QFETCH(bool, asked);
        QFETCH(bool, oldRecord);
        QTemporaryDir dir;
        const QString module = dir.filePath(QStringLiteral("CorvelMap.exe"));
        const QString record = dir.filePath(QStringLiteral("CorvelMap.args"));
        QVERIFY(QFile::copy(QStringLiteral(CORVEL_BIN_DIR "/ModuleStub.exe"), module));
        if (oldRecord) {
            QFile old(record);
            QVERIFY(old.open(QIODevice::WriteOnly));
            QVERIFY(old.setPermissions(old.permissions() | QFile::ReadGroup | QFile::ReadOther));
        }

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CORVEL_STUB_NO_WINDOW"), QStringLiteral("1"));
        if (asked)
            environment.insert(QStringLiteral("CORVEL_STUB_RECORD_ARGS"), QStringLiteral("1"));
        else
            environment.remove(QStringLiteral("CORVEL_STUB_RECORD_ARGS"));
        QProcess stub;
        stub.setProcessEnvironment(environment);
        stub.start(module, {QStringLiteral("clerk"), QStringLiteral("clerk1")});
        QVERIFY(stub.waitForFinished(20000));
        QCOMPARE(stub.exitCode(), 0);

        QCOMPARE(QFile::exists(record), asked);
        if (!asked)
            return;
        QFile file(record);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(file.readAll()).array(),
                 QJsonArray({QStringLiteral("clerk"), QStringLiteral("clerk1")}));
#ifndef Q_OS_WIN
        QCOMPARE(file.permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
#endif
    }
};

CORVEL_TEST(ModuleStubTest)
#include "ModuleStubTest.moc"
