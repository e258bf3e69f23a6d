// A virus scanner or the indexer opening a fresh file for a moment: replaces wait for it, within
// a bound.
#include "HelperProcess.h"
#include "TestFiles.h"
#include "TestRegistry.h"

#include "platform/BusyRetry_win.h"
#include "platform/FileError.h"
#include "platform/FileOperations.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

namespace {

// Another program keeps `path` open, sharing nothing, for `held` milliseconds.
std::unique_ptr<QProcess> holdOpen(const QString &path, int held)
{
    return startHelperAndWait(
        {QStringLiteral("hold"), QDir::toNativeSeparators(path), QString::number(held)});
}

} // namespace

class BusyRetryTest : public QObject
{
    Q_OBJECT

private slots:
    void fileHeldForAMomentIsWaitedFor_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("open of the distribution's file") << QStringLiteral("open");
        QTest::newRow("module replace") << QStringLiteral("replace");
        QTest::newRow("template moved into place") << QStringLiteral("move");
    }
    void fileHeldForAMomentIsWaitedFor()
    {
        QFETCH(QString, operation);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("new.exe"));
        const QString target = dir.filePath(QStringLiteral("installed.exe"));
        writeFile(source, "new build");
        writeFile(target, "installed build");
        const QString held = operation == QStringLiteral("replace") ? target : source;
        const std::unique_ptr<QProcess> scanner = holdOpen(held, 500);

        if (operation == QStringLiteral("open")) {
            const HANDLE file =
                busyretry::createFile(reinterpret_cast<LPCWSTR>(source.utf16()), GENERIC_READ,
                                      FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
            QVERIFY(file != INVALID_HANDLE_VALUE);
            CloseHandle(file);
        } else if (operation == QStringLiteral("replace")) {
            fileops::replaceFile(source, target, fileops::Content::Program);
        } else {
            fileops::moveFile(source, target);
        }

        QVERIFY(hasReleased(*scanner));
        if (operation != QStringLiteral("open"))
            QCOMPARE(contentOf(target), "new build");
        QVERIFY(scanner->waitForFinished(30000));
    }

    void fileHeldForGoodIsReportedWithinTheBound()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("new.exe"));
        const QString target = dir.filePath(QStringLiteral("installed.exe"));
        writeFile(source, "new build");
        writeFile(target, "installed build");
        const std::unique_ptr<QProcess> running = holdOpen(target, 20000);
        QElapsedTimer timer;
        timer.start();

        QVERIFY_THROWS_EXCEPTION(FileError, fileops::replaceFile(source, target));

        QVERIFY2(timer.elapsed() >= 1500 && timer.elapsed() < 15000,
                 qPrintable(QString::number(timer.elapsed())));
        running->kill();
        QVERIFY(running->waitForFinished(30000));
        QCOMPARE(contentOf(target), "installed build");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("installed.exe"), QStringLiteral("new.exe")}));
    }
};

CORVEL_TEST(BusyRetryTest)
#include "BusyRetryTest_win.moc"
