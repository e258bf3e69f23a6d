// Reinstaller.exe "<installed launcher>" "<distribution copy>": waits for the launcher to exit,
// puts the distribution copy in its place and starts it again. When that fails it starts the
// installed launcher again and says why in a message box (on stderr as well, and only there when
// CORVEL_REINSTALLER_NO_WINDOW is set, as the tests do).
#include "Replaceable.h"

#include "platform/Error.h"
#include "platform/FileOperations.h"
#include "platform/UpgradeLock.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QThread>

#include <cstdio>
#include <memory>

namespace {

constexpr int kWaitMilliseconds = 30000;
constexpr int kPollMilliseconds = 200;
const QString kCaption = QStringLiteral("Corvel Launcher");

class Failure
{
public:
    explicit Failure(QString message) : text(std::move(message)) {}
    QString text;
};

void waitUntilReplaceable(const QString &installed)
{
    const QDeadlineTimer deadline(kWaitMilliseconds);
    for (;;) {
        QString reason;
        switch (replaceable(installed, &reason)) {
        case Replaceable::Now:
            return;
        case Replaceable::Denied:
            throw Failure(QStringLiteral("%1 cannot be replaced: %2").arg(installed, reason));
        case Replaceable::InUse:
            if (deadline.hasExpired())
                throw Failure(QStringLiteral("%1 is still running").arg(installed));
            QThread::msleep(kPollMilliseconds);
        }
    }
}

bool start(const QFileInfo &launcher)
{
    return launcher.isFile() &&
           QProcess::startDetached(launcher.absoluteFilePath(), {}, launcher.absolutePath());
}

void run(const QStringList &arguments)
{
    if (arguments.size() != 2 || arguments.at(0).isEmpty() || arguments.at(1).isEmpty())
        throw Failure(QStringLiteral(
            "Usage: Reinstaller.exe \"<installed launcher>\" \"<distribution copy>\""));
    const QFileInfo installed(arguments.at(0));
    const QFileInfo distribution(arguments.at(1));
    if (installed.isDir())
        throw Failure(QStringLiteral("%1 is a folder").arg(installed.filePath()));
    if (!corvel::fileops::fileExists(distribution.filePath()))
        throw Failure(QStringLiteral("%1 does not exist").arg(distribution.filePath()));
    if (installed.exists() && installed.canonicalFilePath() == distribution.canonicalFilePath())
        throw Failure(
            QStringLiteral("%1 is the installed launcher itself").arg(distribution.filePath()));

    waitUntilReplaceable(installed.absoluteFilePath());
    try {
        const corvel::UpgradeLock lock(installed.absolutePath() + u'/');
        corvel::fileops::replaceFile(distribution.absoluteFilePath(), installed.absoluteFilePath(),
                                     corvel::fileops::Content::Program);
    } catch (const corvel::Error &error) {
        throw Failure(QStringLiteral("Cannot replace %1 with %2: %3")
                          .arg(installed.filePath(), distribution.filePath(), error.message()));
    }
    if (!start(installed))
        throw Failure(QStringLiteral("The new launcher is in place but could not be started: %1")
                          .arg(installed.absoluteFilePath()));
}

void tell(const QString &text, bool windowless)
{
    std::fprintf(stderr, "Reinstaller: %s\n", qPrintable(text));
    if (windowless)
        return;
    QMessageBox box(QMessageBox::Critical, kCaption, text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ReinstallerMessage"));
    // No other button of the suite carries a stock icon.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}

// The box comes first: a launcher started before it would cover it.
void report(const QString &reason, const QString &installed, bool windowless)
{
    const QFileInfo launcher(installed);
    const bool restart = !installed.isEmpty() && launcher.isFile();
    QString text = QStringLiteral("The launcher could not be upgraded.\n\n") + reason;
    if (restart)
        text +=
            QStringLiteral("\n\nThe installed launcher starts again when you close this message.");
    tell(text, windowless);
    if (restart && !start(launcher))
        tell(QStringLiteral("%1 could not be started.").arg(launcher.absoluteFilePath()),
             windowless);
}

} // namespace

int main(int argc, char *argv[])
{
    const bool windowless = qEnvironmentVariableIsSet("CORVEL_REINSTALLER_NO_WINDOW");
    const std::unique_ptr<QCoreApplication> app(windowless ? new QCoreApplication(argc, argv)
                                                           : new QApplication(argc, argv));
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    try {
        run(arguments);
    } catch (const Failure &failure) {
        report(failure.text, arguments.value(0), windowless);
        return 1;
    }
    return 0;
}
