#include "admin/LogoPicture.h"

#include <QPainter>

namespace corvel {

LogoPicture::LogoPicture(QWidget *parent) : QWidget(parent) {}

void LogoPicture::setImage(const QImage &image)
{
    m_image = image;
    setNotice(QString());
}

void LogoPicture::setNotice(const QString &notice)
{
    m_notice = notice;
    setAccessibleDescription(notice);
    update();
}

QRect LogoPicture::imageRect() const
{
    if (m_image.isNull())
        return {};
    const QRect area = contentsRect();
    const QSize size = m_image.size().scaled(area.size(), Qt::KeepAspectRatio);
    return QRect(area.topLeft() +
                     QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2),
                 size);
}

void LogoPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_image.isNull()) {
        // The box is white in every style, so the notice is drawn dark whatever the palette says.
        painter.setPen(Qt::black);
        painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextWordWrap, m_notice);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(imageRect(), m_image);
}

} // namespace corvel
