// The first start-up baseline: a bare Qt main window of the launcher's size, linking Qt Widgets
// only. It draws no text, so it never loads a font. Prints "shown <peak KiB>" once its first frame
// is painted, then ends.
#include "../FirstFrame.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(1152, 708);
    corvel::bench::showFirstFrameAndExit(window, 0);
}
