#include "app/Artwork.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QResource>

#include <cmath>

namespace corvel::artwork {

namespace {

QString withSuffix(const QString &path, const QString &suffix)
{
    const QFileInfo info(path);
    return info.path() + u'/' + info.completeBaseName() + suffix;
}

QImage decode(const QString &path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// The pixels in place when the build left them uncompressed and aligned, else a copy of them
// inflated; empty unless they are as expected: square, four bytes a pixel.
QImage raw(const QString &path, const QString &suffix, QImage::Format format)
{
    const QResource resource(withSuffix(path, suffix));
    if (!resource.isValid())
        return QImage();
    const bool inPlace = resource.compressionAlgorithm() == QResource::NoCompression &&
                         quintptr(resource.data()) % alignof(quint32) == 0;
    const QByteArray inflated = inPlace ? QByteArray() : resource.uncompressedData();
    const qint64 size = inPlace ? resource.size() : inflated.size();
    const auto side = qsizetype(std::lround(std::sqrt(double(size / 4))));
    if (side == 0 || size != side * side * 4)
        return QImage();
    if (inPlace)
        return QImage(resource.data(), int(side), int(side), side * 4, format);
    return QImage(reinterpret_cast<const uchar *>(inflated.constData()), int(side), int(side),
                  side * 4, format)
        .copy();
}

QImage ownSize(const QString &path)
{
    QImage image = raw(path, QStringLiteral(".argb32"), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        image = raw(path, QStringLiteral(".rgb32"), QImage::Format_RGB32);
    return image.isNull() ? decode(path) : image;
}

// Read only where a screen would show it.
QImage doubleSize(const QString &path)
{
    return qGuiApp->devicePixelRatio() > 1.0
               ? decode(withSuffix(path, QStringLiteral("@2x.") + QFileInfo(path).suffix()))
               : QImage();
}

} // namespace

QPixmap pixmap(const QString &path)
{
    QImage large = doubleSize(path);
    if (large.isNull())
        return QPixmap::fromImage(ownSize(path));
    large.setDevicePixelRatio(2.0);
    return QPixmap::fromImage(std::move(large));
}

QIcon icon(const QString &path)
{
    QIcon icon(QPixmap::fromImage(ownSize(path)));
    const QImage large = doubleSize(path);
    if (!large.isNull())
        icon.addPixmap(QPixmap::fromImage(large));
    return icon;
}

} // namespace corvel::artwork
