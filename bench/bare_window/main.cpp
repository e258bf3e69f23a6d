// The start-up baseline: a bare Qt main window of the launcher's size, linking Qt Widgets only.
// Prints "shown <peak KiB>" once the window is exposed, then exits.
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QWindow>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(1152, 708);
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    long peak = -1;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    std::printf("shown %ld\n", peak);
    return 0;
}
