// Reinstaller.exe "<installed launcher>" "<distribution copy>": waits for the launcher to exit,
// puts the distribution copy in its place and starts it again.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QThread>

#include <cstdio>

namespace {

constexpr int kWaitMilliseconds = 30000;
constexpr int kPollMilliseconds = 200;

class Failure
{
public:
    explicit Failure(QString message) : text(std::move(message)) {}
    QString text;
};

// A running executable cannot be opened for writing, on Linux (ETXTBSY) as on Windows.
bool inUse(const QString &path)
{
    if (!QFileInfo::exists(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return true;
    file.close();
    return false;
}

void waitUntilFree(const QString &installed)
{
    const QDeadlineTimer deadline(kWaitMilliseconds);
    while (inUse(installed) && !deadline.hasExpired())
        QThread::msleep(kPollMilliseconds);
}

// Writes the new launcher under a temporary name beside the installed one, then renames it over
// the installed file, so the old launcher stays whole until the new one is complete.
void replace(const QString &installed, const QString &distribution)
{
    QFile source(distribution);
    if (!source.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot read %1: %2").arg(distribution, source.errorString()));

    QSaveFile target(installed);
    target.setDirectWriteFallback(false);
    if (!target.open(QIODevice::WriteOnly))
        throw Failure(
            QStringLiteral("Cannot write beside %1: %2").arg(installed, target.errorString()));
    target.setPermissions(source.permissions());
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(1 << 20);
        if (chunk.isEmpty() || target.write(chunk) != chunk.size())
            throw Failure(QStringLiteral("Cannot copy %1 to %2: %3")
                              .arg(distribution, installed, target.errorString()));
    }

#ifdef Q_OS_WIN
    // Windows will not replace an executable that is still running, but lets it be renamed.
    const QString aside = installed + QStringLiteral(".old");
    QFile::remove(aside);
    const bool movedAside = QFile::exists(installed) && QFile::rename(installed, aside);
    if (!target.commit()) {
        if (movedAside)
            QFile::rename(aside, installed);
        throw Failure(QStringLiteral("Cannot replace %1: %2").arg(installed, target.errorString()));
    }
    QFile::remove(aside);
#else
    if (!target.commit())
        throw Failure(QStringLiteral("Cannot replace %1: %2").arg(installed, target.errorString()));
#endif
}

void run(const QStringList &arguments)
{
    if (arguments.size() != 2)
        throw Failure(QStringLiteral(
            "Usage: Reinstaller.exe \"<installed launcher>\" \"<distribution copy>\""));
    const QFileInfo installed(arguments.at(0));
    const QFileInfo distribution(arguments.at(1));
    if (!distribution.isFile())
        throw Failure(QStringLiteral("%1 does not exist").arg(distribution.filePath()));
    if (installed.exists() && installed.canonicalFilePath() == distribution.canonicalFilePath())
        throw Failure(
            QStringLiteral("%1 is the installed launcher itself").arg(distribution.filePath()));

    waitUntilFree(installed.filePath());
    replace(installed.absoluteFilePath(), distribution.absoluteFilePath());

    if (!QProcess::startDetached(installed.absoluteFilePath(), {}, installed.absolutePath()))
        throw Failure(QStringLiteral("The new launcher is in place but could not be started: %1")
                          .arg(installed.absoluteFilePath()));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    try {
        run(QCoreApplication::arguments().mid(1));
    } catch (const Failure &failure) {
        std::fprintf(stderr, "Reinstaller: %s\n", qPrintable(failure.text));
        return 1;
    }
    return 0;
}
