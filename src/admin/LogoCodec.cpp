#include "admin/LogoCodec.h"

#include "platform/Error.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>

namespace corvel::logocodec {

namespace {

const QByteArray kFormat = QByteArrayLiteral("png");
constexpr qsizetype kPrefixSize = 8;

bool hasLengthPrefix(const QByteArray &value)
{
    if (value.size() < kPrefixSize)
        return false;
    const auto *bytes = reinterpret_cast<const uchar *>(value.constData());
    return qFromLittleEndian<quint16>(bytes) == 1 && qFromLittleEndian<quint16>(bytes + 2) == 256 &&
           qFromLittleEndian<quint32>(bytes + 4) == quint64(value.size() - kPrefixSize);
}

QImage decode(QImageReader &reader)
{
    const QSize size = reader.size();
    if (size.width() > kMaxLogoSide || size.height() > kMaxLogoSide) {
        throw Error(QStringLiteral("The picture is %1 x %2 pixels; at most %3 x %3 are accepted")
                        .arg(size.width())
                        .arg(size.height())
                        .arg(kMaxLogoSide));
    }
    QImage image;
    if (!reader.read(&image))
        throw Error(reader.errorString());
    return image;
}

} // namespace

QImage decodeStored(const QByteArray &value)
{
    QByteArray png = value;
    if (hasLengthPrefix(value))
        png = value.mid(kPrefixSize);
    QBuffer buffer(&png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, kFormat);
    return decode(reader);
}

QImage readFile(const QString &path)
{
    QImageReader reader(path, kFormat);
    return decode(reader);
}

QByteArray encode(const QImage &image)
{
    if (image.isNull())
        return kPngSignature;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, kFormat);
    if (!writer.write(image))
        throw Error(writer.errorString());
    return png;
}

} // namespace corvel::logocodec
