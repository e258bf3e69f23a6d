#include "HelperProcess.h"
#include "Links.h"
#include "TestFiles.h"
#include "TestRegistry.h"

#include "platform/UpgradeBusyError.h"
#include "platform/UpgradeLock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifndef Q_OS_WIN
#include "Fifo.h"
#endif

using namespace corvel;
using namespace corvel::test;
using std::chrono::milliseconds;

namespace {

// Another process holding the folder's lock for `held` milliseconds, once it holds it.
std::unique_ptr<QProcess> holdElsewhere(const QString &folder, int held)
{
    return startHelperAndWait({QStringLiteral("lock"), folder, QString::number(held)});
}

// The message of the FileError that taking the lock throws; empty when it is taken.
QString failureToLock(const QString &folder, milliseconds wait)
{
    try {
        const UpgradeLock lock(folder, wait);
        return QString();
    } catch (const FileError &error) {
        return error.message();
    }
}

} // namespace

class UpgradeLockTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_folder = m_dir->path() + u'/';
    }

    void waitsWhileAnotherProcessHoldsTheFolder()
    {
        const std::unique_ptr<QProcess> other = holdElsewhere(m_folder, 1500);

        QCOMPARE(failureToLock(m_folder, milliseconds(60000)), QString());

        QVERIFY(hasReleased(*other));
        QVERIFY(other->waitForFinished(30000));
    }

    // Past its wait it says that another upgrade runs; a holder that is killed lets go at once.
    void givesUpOnAHolderThatStaysUntilItIsKilled()
    {
        const std::unique_ptr<QProcess> other = holdElsewhere(m_folder, 60000);
        QElapsedTimer timer;
        timer.start();
        try {
            const UpgradeLock lock(m_folder, milliseconds(300));
            QFAIL("the lock was taken from its holder");
        } catch (const UpgradeBusyError &error) {
            QCOMPARE(error.message(),
                     QStringLiteral("Another upgrade of %1 is running. Try again when it has "
                                    "finished")
                         .arg(QDir::toNativeSeparators(m_folder)));
        }
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));

        other->kill();
        QVERIFY(other->waitForFinished(30000));
        timer.restart();
        QCOMPARE(failureToLock(m_folder, milliseconds(60000)), QString());
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    }

    // The lock file stays, empty, and serves every later upgrade, in this process as in others.
    void lockFileLeftBehindServesTheNextUpgrade()
    {
        {
            const UpgradeLock first(m_folder, milliseconds(0));
            QCOMPARE(failureToLock(m_folder, milliseconds(0)),
                     QStringLiteral("Another upgrade of %1 is running. Try again when it has "
                                    "finished")
                         .arg(QDir::toNativeSeparators(m_folder)));
        }
        const QString lockFile = m_folder + UpgradeLock::kFileName;
        QVERIFY(QFileInfo(lockFile).isFile());
        QCOMPARE(QFileInfo(lockFile).size(), 0);
        QCOMPARE(failureToLock(m_folder, milliseconds(0)), QString());
        const std::unique_ptr<QProcess> other = holdElsewhere(m_folder, 0);
        QVERIFY(other->waitForFinished(30000));
        QCOMPARE(other->exitCode(), 0);
    }

    // Whatever stands under the lock file's name, nothing it leads to is created or changed.
    void lockFileThatIsNoFileIsRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << QStringLiteral("folder");
        QTest::newRow("link to a folder") << QStringLiteral("folder link");
        QTest::newRow("link to a file") << QStringLiteral("file link");
        QTest::newRow("link to nothing yet") << QStringLiteral("dangling link");
#ifndef Q_OS_WIN
        QTest::newRow("FIFO") << QStringLiteral("fifo");
#endif
    }
    void lockFileThatIsNoFileIsRefused()
    {
        QFETCH(QString, kind);
        QTemporaryDir elsewhere;
        const QString outside = elsewhere.path() + u'/';
        writeFile(outside + QStringLiteral("file"), "someone's");
        const QString lockFile = m_folder + UpgradeLock::kFileName;
#ifndef Q_OS_WIN
        std::unique_ptr<Fifo> fifo;
        if (kind == QStringLiteral("fifo"))
            fifo = std::make_unique<Fifo>(lockFile);
#endif
        if (kind == QStringLiteral("folder"))
            QVERIFY(QDir().mkdir(lockFile));
        if (kind == QStringLiteral("folder link") && !makeFolderLink(outside, lockFile))
            QSKIP("this system makes no links to folders");
        if (kind == QStringLiteral("file link") &&
            !makeFileLink(outside + QStringLiteral("file"), lockFile))
            QSKIP("this system makes no links to files");
        if (kind == QStringLiteral("dangling link") &&
            !makeFileLink(outside + QStringLiteral("new"), lockFile))
            QSKIP("this system makes no links to files");

        QCOMPARE(failureToLock(m_folder, milliseconds(0)),
                 QDir::toNativeSeparators(lockFile) +
                     QStringLiteral(" is not a regular file, so no upgrade was started"));

        QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("file")});
        QCOMPARE(contentOf(outside + QStringLiteral("file")), "someone's");
#ifndef Q_OS_WIN
        QVERIFY(!fifo || !fifo->readerWaited());
#endif
    }
};

CORVEL_TEST(UpgradeLockTest)
#include "UpgradeLockTest.moc"
