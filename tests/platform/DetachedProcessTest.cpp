#include "TestRegistry.h"

#include "platform/DetachedProcess.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <unistd.h>

using namespace corvel;

class DetachedProcessTest : public QObject
{
    Q_OBJECT

private:
    // The hexadecimal signal mask `field` ("SigBlk", "SigIgn") of a process.
    static quint64 signalMask(qint64 pid, const QByteArray &field)
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return ~0ULL;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith(field + ':'))
                return line.mid(field.size() + 1).trimmed().toULongLong(nullptr, 16);
        }
        return ~0ULL;
    }

    static bool processIsGone(qint64 pid) { return ::kill(pid, 0) == -1 && errno == ESRCH; }

private slots:
    void startsInASessionOfItsOwnWithDefaultSignals()
    {
        // A launcher that ignores SIGPIPE and blocks SIGUSR1 must not pass either on.
        const auto previous = std::signal(SIGPIPE, SIG_IGN);
        sigset_t blocked;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGUSR1);
        sigset_t previousMask;
        pthread_sigmask(SIG_BLOCK, &blocked, &previousMask);

        qint64 pid = 0;
        const bool started =
            DetachedProcess::start(QStringLiteral("/bin/sleep"), {QStringLiteral("30")}, &pid);

        pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
        std::signal(SIGPIPE, previous);
        QVERIFY(started);
        QVERIFY(pid > 0);
        const auto stop = qScopeGuard([pid] { ::kill(pid, SIGTERM); });
        QCOMPARE(qint64(::getsid(pid)), pid);
        QTRY_COMPARE(signalMask(pid, "SigBlk"), 0ULL);
        QCOMPARE(signalMask(pid, "SigIgn") & (1ULL << (SIGPIPE - 1)), 0ULL);
    }

    void collectsTheProgramOnceItEnds()
    {
        qint64 pid = 0;
        QVERIFY(DetachedProcess::start(QStringLiteral("/bin/true"), {}, &pid));
        // An uncollected child stays a zombie, which still answers kill(pid, 0).
        QTRY_VERIFY_WITH_TIMEOUT(processIsGone(pid), 10000);
    }

    void refusesWhatCannotBeExecuted_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "Absent.exe";
        QTest::newRow("not executable") << "Plain.txt";
        QTest::newRow("folder") << "Folder.exe";
    }
    void refusesWhatCannotBeExecuted()
    {
        QFETCH(QString, name);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QFile plain(folder.filePath(QStringLiteral("Plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("#!/bin/sh\n");
        plain.close();
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Folder.exe")));
        qint64 pid = -1;
        QVERIFY(!DetachedProcess::start(folder.filePath(name), {}, &pid));
        QCOMPARE(pid, -1);
    }
};

CORVEL_TEST(DetachedProcessTest)

#include "DetachedProcessTest.moc"
