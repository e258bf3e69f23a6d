#pragma once

#include <QImage>
#include <QWidget>

namespace corvel {

// Shows a logo whole: scaled to fit the widget with its proportions kept, centred.
class LogoPicture : public QWidget
{
    Q_OBJECT
public:
    explicit LogoPicture(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    void clear() { setImage(QImage()); }
    const QImage &image() const noexcept { return m_image; }
    // Where the image is drawn; empty when there is none.
    QRect imageRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};

} // namespace corvel
