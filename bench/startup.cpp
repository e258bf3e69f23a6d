// Start-up to the main window shown on a seeded embedded-database workstation, against a bare Qt
// main window program built alongside (bench_bare_window), both started as fresh processes: wall
// time from the process start to the window being exposed, and peak resident memory.
#include "BenchSupport.h"
#include "ScriptedDialogService.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "app/StartUp.h"
#include "launcher/MainForm.h"
#include "platform/DesktopShell.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QWindow>
#include <memory>

using namespace corvel;

namespace {

void waitUntilExposed(QWidget &window)
{
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("shown %ld\n", bench::peakResidentKiB());
    std::fflush(stdout);
}

int runLauncher(int argc, char *argv[], const QString &launcherPath)
{
    QApplication app(argc, argv);
    test::ScriptedDialogService dialogs;
    DesktopShell shell(QFileInfo(launcherPath).path());
    TDataModule1 dm(launcherPath);
    std::unique_ptr<TMainForm> form;
    StartUp::run(dm, dialogs, [&] {
        form = std::make_unique<TMainForm>(dm, Services{dialogs, shell});
    });
    waitUntilExposed(*form);
    return dialogs.boxes().isEmpty() ? 0 : 1;
}

struct Sample
{
    double ms = 0;
    double peakKiB = 0;
};

Sample measure(const QString &program, const QStringList &arguments)
{
    QProcess child;
    QElapsedTimer timer;
    timer.start();
    child.start(program, arguments);
    while (!child.canReadLine() && child.waitForReadyRead(30000)) {
    }
    Sample sample;
    sample.ms = timer.nsecsElapsed() / 1e6;
    const QList<QByteArray> line = child.readLine().trimmed().split(' ');
    sample.peakKiB = line.value(1).toDouble();
    child.waitForFinished();
    if (line.value(0) != "shown" || child.exitCode() != 0)
        qFatal("the child did not show its window cleanly");
    return sample;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 2 && qstrcmp(argv[1], "--launcher") == 0)
        return runLauncher(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    test::Workstation ws;
    ws.useSeededDatabase();
    const QString bareWindow = QCoreApplication::applicationDirPath() + "/bench_bare_window";
    QList<double> launcherMs, bareMs, launcherKiB, bareKiB;
    for (int i = 0; i < 25; ++i) {
        const Sample launcher = measure(QCoreApplication::applicationFilePath(),
                                        {QStringLiteral("--launcher"), ws.launcherPath()});
        const Sample bare = measure(bareWindow, {});
        launcherMs << launcher.ms;
        bareMs << bare.ms;
        launcherKiB << launcher.peakKiB;
        bareKiB << bare.peakKiB;
    }
    // On a virtual machine the two programs' times shift together and apart in spells of several
    // runs, so the median moves from run to run; the best run of each is their cost undisturbed.
    bench::report("start-up to main window shown, best run",
                  *std::min_element(launcherMs.begin(), launcherMs.end()), "ms",
                  *std::min_element(bareMs.begin(), bareMs.end()), "bare Qt window");
    bench::report("start-up to main window shown, median", bench::median(launcherMs), "ms",
                  bench::median(bareMs), "bare Qt window");
    bench::report("start-up peak memory", bench::median(launcherKiB) / 1024, "MiB",
                  bench::median(bareKiB) / 1024, "bare Qt window");
    return 0;
}
