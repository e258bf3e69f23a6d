#pragma once

#include <QImage>
#include <QWidget>

namespace corvel {

// Shows a logo whole: scaled to fit the widget with its proportions kept, centred. Without a logo
// it can show a notice instead, such as why a stored logo cannot be shown.
class LogoPicture : public QWidget
{
    Q_OBJECT
public:
    explicit LogoPicture(QWidget *parent = nullptr);

    // Replaces the image and drops any notice.
    void setImage(const QImage &image);
    void clear() { setImage(QImage()); }
    const QImage &image() const noexcept { return m_image; }
    void setNotice(const QString &notice);
    const QString &notice() const noexcept { return m_notice; }
    // Where the image is drawn; empty when there is none.
    QRect imageRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    QString m_notice;
};

} // namespace corvel
