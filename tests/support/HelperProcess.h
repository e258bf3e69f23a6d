#pragma once

#include <QProcess>
#include <QStringList>

#include <memory>

namespace corvel::test {

// corvel-test-helper (tests/helper): another launcher, or another program, on this machine.
inline std::unique_ptr<QProcess> startHelper(const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->start(QStringLiteral(CORVEL_BIN_DIR "/corvel-test-helper.exe"), arguments);
    if (!process->waitForStarted(30000))
        qFatal("the test helper did not start");
    return process;
}

// Returns once the helper says it holds what it was asked to hold. A Wine process on a busy
// machine may take minutes to start.
inline void waitUntilReady(QProcess &process)
{
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(300000))
            qFatal("the test helper never got ready");
    }
    if (!process.readLine().startsWith("ready"))
        qFatal("the test helper could not do what it was asked");
}

inline std::unique_ptr<QProcess> startHelperAndWait(const QStringList &arguments)
{
    std::unique_ptr<QProcess> process = startHelper(arguments);
    waitUntilReady(*process);
    return process;
}

// True when the helper had let go of what it held by the time this is called.
inline bool hasReleased(QProcess &process)
{
    process.waitForReadyRead(100);
    return process.readAll().contains("released");
}

// What the helper printed, one line an entry.
inline QStringList outputOf(QProcess &process)
{
    return QString::fromUtf8(process.readAllStandardOutput())
        .split(u'\n', Qt::SkipEmptyParts)
        .replaceInStrings(QStringLiteral("\r"), QString());
}

} // namespace corvel::test
