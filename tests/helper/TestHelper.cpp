// corvel-test-helper <command> <arguments...>: what a test needs another process for. It prints
// "ready" once it holds what it was asked to hold and "released" just before it lets go, or every
// message an upgrade shows, one a line.
//   lock <folder> <milliseconds>            holds the folder's upgrade lock
//   hold <file> <milliseconds>              (Windows) keeps the file open, sharing nothing
//   reports <launcher folder> <distribution folder> <lock wait ms>
//   module <launcher folder> <distribution folder> <file> <lock wait ms> <times>
// Exit status: 0 when every upgrade reported "Application Upgraded", 1 when one said otherwise, 2
// for an error that escaped, 3 for a wrong command line.
#include "RecordingShell.h"
#include "ScriptedDialogService.h"

#include "app/DataModule1.h"
#include "launcher/Upgrades.h"
#include "platform/Error.h"
#include "platform/UpgradeLock.h"

#include <QApplication>
#include <QThread>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace corvel;

namespace {

const QString kUpgraded = QStringLiteral("Application Upgraded");

void say(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

std::chrono::milliseconds milliseconds(const QString &text)
{
    return std::chrono::milliseconds(text.toLongLong());
}

// Runs `upgrade` on a workstation whose launcher lives in `folder`, answering OK to everything.
int upgradeIn(const QString &folder, const QString &distribution, const QString &wait, int times,
              void (*upgrade)(Upgrades &, const QString &), const QString &file)
{
    TDataModule1 dataModule(folder + QStringLiteral("CorvelLauncher.exe"));
    dataModule.Local_Path = folder;
    dataModule.Distribution_Path = distribution;
    test::ScriptedDialogService dialogs;
    test::RecordingShell shell;
    Upgrades upgrades(dataModule, Services{dialogs, shell}, milliseconds(wait));
    say(QStringLiteral("ready"));
    int status = 0;
    for (int i = 0; i < times; ++i) {
        dialogs.clear();
        dialogs.answerNext(DialogButton::Ok);
        try {
            upgrade(upgrades, file);
        } catch (const Error &error) {
            say(error.message());
            return 2;
        }
        for (const QString &text : dialogs.texts())
            say(text);
        if (dialogs.lastText() != kUpgraded)
            status = 1;
    }
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    // Upgrades show their progress in a window, as in the launcher, on no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString command = arguments.value(0);
    if (command == QStringLiteral("lock") && arguments.size() == 3) {
        try {
            const UpgradeLock lock(arguments.at(1), std::chrono::milliseconds(0));
            say(QStringLiteral("ready"));
            QThread::msleep(arguments.at(2).toULong());
            say(QStringLiteral("released"));
        } catch (const Error &error) {
            say(error.message());
            return 2;
        }
        return 0;
    }
#ifdef Q_OS_WIN
    if (command == QStringLiteral("hold") && arguments.size() == 3) {
        const HANDLE file =
            CreateFileW(reinterpret_cast<LPCWSTR>(arguments.at(1).utf16()), GENERIC_READ, 0,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return 2;
        say(QStringLiteral("ready"));
        Sleep(DWORD(arguments.at(2).toULong()));
        say(QStringLiteral("released"));
        CloseHandle(file);
        return 0;
    }
#endif
    if (command == QStringLiteral("reports") && arguments.size() == 4)
        return upgradeIn(
            arguments.at(1), arguments.at(2), arguments.at(3), 1,
            [](Upgrades &upgrades, const QString &) { upgrades.upgradeReportsAndForms(); },
            QString());
    if (command == QStringLiteral("module") && arguments.size() == 6)
        return upgradeIn(
            arguments.at(1), arguments.at(2), arguments.at(4), arguments.at(5).toInt(),
            [](Upgrades &upgrades, const QString &file) { upgrades.DownloadUpdated(file); },
            arguments.at(3));
    std::fprintf(stderr, "usage: see the head of TestHelper.cpp\n");
    return 3;
}
