#include "admin/LogoPicture.h"

#include <QPainter>

namespace corvel {

LogoPicture::LogoPicture(QWidget *parent) : QWidget(parent) {}

void LogoPicture::setImage(const QImage &image)
{
    m_image = image;
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
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(imageRect(), m_image);
}

} // namespace corvel
