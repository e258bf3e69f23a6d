#include "platform/ScreenFit.h"

#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>
#include <QWindow>

namespace corvel {

namespace {

// An X11 window manager frames a window only once it is mapped; until then assume a frame as
// large as Qt itself does when it places dialogs.
constexpr QMargins kAssumedFrame(10, 40, 10, 10);

QSize extentOf(const QMargins &margins)
{
    return {margins.left() + margins.right(), margins.top() + margins.bottom()};
}

} // namespace

ScreenFit::ScreenFit(QWidget &window, QScrollArea &area)
    : QObject(&window), m_window(window), m_area(area)
{
    window.installEventFilter(this);
    fit(true);
}

QSize ScreenFit::fittedSize(QSize natural, QSize room, QSize scrollBars)
{
    bool cutWidth = natural.width() > room.width();
    bool cutHeight = natural.height() > room.height();
    if (cutWidth && !cutHeight)
        cutHeight = natural.height() + scrollBars.height() > room.height();
    if (cutHeight && !cutWidth)
        cutWidth = natural.width() + scrollBars.width() > room.width();
    const int width =
        cutWidth ? room.width() : natural.width() + (cutHeight ? scrollBars.width() : 0);
    const int height =
        cutHeight ? room.height() : natural.height() + (cutWidth ? scrollBars.height() : 0);
    return QSize(width, height).expandedTo(QSize(1, 1));
}

QPoint ScreenFit::framePosition(QSize frame, const QRect &available, QPoint wanted)
{
    const int x = qMin(wanted.x(), available.x() + available.width() - frame.width());
    const int y = qMin(wanted.y(), available.y() + available.height() - frame.height());
    return {qMax(x, available.x()), qMax(y, available.y())};
}

bool ScreenFit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_window)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        // A window restored from the taskbar is shown again where the user left it.
        if (!m_placed) {
            fit(true);
            m_placed = true;
        }
        break;
    case QEvent::LayoutRequest:
        // A new style or font changes the menu bar's height.
        if (m_placed)
            fit(false);
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (m_placed && m_window.windowHandle() != nullptr &&
            !m_window.windowHandle()->frameMargins().isNull() &&
            m_window.windowHandle()->frameMargins() != m_fittedMargins)
            fit(true);
        break;
    default:
        break;
    }
    return false;
}

void ScreenFit::fit(bool centre)
{
    const QScreen *screen = m_window.screen();
    if (screen == nullptr || m_area.widget() == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    m_fittedMargins = frameMargins();
    const QSize frame = extentOf(m_fittedMargins);
    const int border = 2 * m_area.frameWidth();
    const QSize content = m_area.widget()->size() + QSize(border, border);
    const QSize chrome = m_window.sizeHint() - m_area.sizeHint();
    const QSize area = fittedSize(content, available.size() - frame - chrome, scrollBarExtents());
    m_window.setFixedSize(chrome + area);

    const QSize frameSize = m_window.size() + frame;
    const QPoint centred =
        available.topLeft() + QPoint((available.width() - frameSize.width()) / 2,
                                     (available.height() - frameSize.height()) / 2);
    m_window.move(framePosition(frameSize, available, centre ? centred : m_window.pos()));
}

QMargins ScreenFit::frameMargins() const
{
    if (m_window.windowFlags() & Qt::FramelessWindowHint)
        return {};
    const QWindow *handle = m_window.windowHandle();
    if (handle == nullptr || handle->frameMargins().isNull())
        return kAssumedFrame;
    return handle->frameMargins();
}

QSize ScreenFit::scrollBarExtents() const
{
    const QStyle *style = m_area.style();
    const int spacing =
        style->styleHint(QStyle::SH_ScrollView_FrameOnlyAroundContents, nullptr, &m_area)
            ? style->pixelMetric(QStyle::PM_ScrollView_ScrollBarSpacing, nullptr, &m_area)
            : 0;
    return {m_area.verticalScrollBar()->sizeHint().width() + spacing,
            m_area.horizontalScrollBar()->sizeHint().height() + spacing};
}

} // namespace corvel
