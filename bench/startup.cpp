// Start-up to the first frame of the main window painted, on a seeded embedded-database
// workstation (bench_launcher_window: the launcher's own start), against two programs built
// alongside: a bare Qt main window (bench_bare_window) and the same window with a menu bar and a
// text label (bench_text_window), which loads fonts as any window with text must. All three start
// as fresh processes, interleaved: wall time from the process start to the frame having reached
// the display server, and peak resident memory. Offscreen, and on the desktop's own platform: on
// Windows always, elsewhere when an X server (such as Xvfb) is named by DISPLAY.
#include "BenchSupport.h"
#include "Workstation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

using namespace corvel;

namespace {

struct Series
{
    QList<double> ms;
    QList<double> kib;
};

void measure(const QString &platform, const QString &program, const QStringList &arguments,
             Series &series)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    child.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    child.start(program, arguments);
    while (!child.canReadLine() && child.waitForReadyRead(30000)) {
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    const QList<QByteArray> line = child.readLine().trimmed().split(' ');
    child.waitForFinished();
    if (line.value(0) != "shown" || child.exitCode() != 0)
        qFatal("%s did not show its window cleanly on %s", qPrintable(program),
               qPrintable(platform));
    series.ms << ms;
    series.kib << line.value(1).toDouble() / 1024;
}

double best(const QList<double> &values)
{
    return *std::min_element(values.begin(), values.end());
}

void report(const QString &platform, const char *what, const Series &launcher,
            const Series &baseline, const char *baselineName)
{
    const QByteArray prefix = platform.toLatin1() + ", ";
    bench::report(prefix + what + ", time, best", best(launcher.ms), "ms", best(baseline.ms),
                  baselineName);
    bench::report(prefix + what + ", time, median", bench::median(launcher.ms), "ms",
                  bench::median(baseline.ms), baselineName);
    bench::report(prefix + what + ", peak memory, best", best(launcher.kib), "MiB",
                  best(baseline.kib), baselineName);
    bench::report(prefix + what + ", peak memory, median", bench::median(launcher.kib), "MiB",
                  bench::median(baseline.kib), baselineName);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    test::Workstation ws;
    ws.useSeededDatabase();
    QStringList platforms{QStringLiteral("offscreen")};
#ifdef Q_OS_WIN
    platforms << QStringLiteral("windows");
#else
    if (qEnvironmentVariableIsSet("DISPLAY"))
        platforms << QStringLiteral("xcb");
#endif
    const QString folder = QCoreApplication::applicationDirPath();
    for (const QString &platform : std::as_const(platforms)) {
        Series launcher, bare, text;
        for (int i = 0; i < 25; ++i) {
            measure(platform, folder + QStringLiteral("/bench_launcher_window"),
                    {ws.launcherPath()}, launcher);
            measure(platform, folder + QStringLiteral("/bench_bare_window"), {}, bare);
            measure(platform, folder + QStringLiteral("/bench_text_window"), {}, text);
        }
        // On a virtual machine the programs' times shift together and apart in spells of several
        // runs, so the median moves from run to run; the best run is the cost undisturbed.
        report(platform, "start-up to first frame", launcher, text, "window with text");
        report(platform, "start-up to first frame", launcher, bare, "bare window");
    }
    return 0;
}
