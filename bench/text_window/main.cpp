// The second start-up baseline: the bare main window with a menu bar and a text label, so it
// loads fonts as every window with text must. Prints "shown <peak KiB>" once its first frame is
// painted, then ends.
#include "../FirstFrame.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Text"));
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
    window.setCentralWidget(new QLabel(QStringLiteral("Corvel Launcher")));
    window.setFixedSize(1152, 708);
    corvel::bench::showFirstFrameAndExit(window, 0);
}
