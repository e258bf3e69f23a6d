#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

class QScrollArea;
class QWidget;

namespace corvel {

// Keeps a window of fixed size inside its screen's available geometry (the screen less its
// taskbars): the window takes the size its content asks for where that fits with the frame, else
// as much as fits, and its scroll area shows the rest. Its frame is centred there when it is first
// shown, and never starts above or left of it, so the title bar stays within reach.
class ScreenFit : public QObject
{
public:
    // `area` holds the window's content, a widget of fixed size, and nothing else grows.
    ScreenFit(QWidget &window, QScrollArea &area);

    // The size a scroll area takes to show content of `natural` size in `room`: a side that does
    // not fit is cut to the room, and the other side grows by the scroll bar it then needs
    // (`scrollBars`: the vertical bar's width, the horizontal bar's height) while it has room.
    static QSize fittedSize(QSize natural, QSize room, QSize scrollBars);
    // Where a frame of `frame` size goes near `wanted`: inside `available` where it fits, else at
    // its top-left corner.
    static QPoint framePosition(QSize frame, const QRect &available, QPoint wanted);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fit(bool centre);
    QMargins frameMargins() const;
    QSize scrollBarExtents() const;

    QWidget &m_window;
    QScrollArea &m_area;
    bool m_placed = false;
    QMargins m_fittedMargins;
};

} // namespace corvel
