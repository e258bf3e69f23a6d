#pragma once

#include "PeakMemory.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace corvel::bench {

// Counts the paint events of one top-level window's widgets. Widgets paint a frame and hand it to
// the platform in one pass, so once the event loop returns after a paint the frame is out.
class PaintWatcher : public QObject
{
public:
    explicit PaintWatcher(QWidget &window) : m_window(window) { qApp->installEventFilter(this); }
    bool painted() const { return m_painted; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->window() == &m_window)
            m_painted = true;
        return false;
    }

private:
    QWidget &m_window;
    bool m_painted = false;
};

// Shows `window`, waits until its first frame is painted and the display server has it, prints
// "shown <peak KiB>" for the benchmark that started this process and ends the process: what
// follows is not measured, and tearing the program down would only blur a profile of its start.
[[noreturn]] inline void showFirstFrameAndExit(QWidget &window, int exitCode)
{
    PaintWatcher watcher(window);
    window.show();
    while (!watcher.painted())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // A round trip to the display server: the frame has reached it, not only left this process.
    QGuiApplication::sync();
    std::printf("shown %ld\n", peakResidentKiB());
    std::fflush(stdout);
    std::_Exit(exitCode);
}

} // namespace corvel::bench
