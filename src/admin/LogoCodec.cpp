#include "admin/LogoCodec.h"

#include "platform/Error.h"

#include <QBuffer>
#include <QIODevice>
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

// libpng allocates a chunk's declared length before it reads the chunk, so a damaged length made
// it ask for up to 2 GiB for a few bytes of picture. Every length must fit in what follows it.
void refuseChunksPastTheEnd(QIODevice &device)
{
    const qint64 start = device.pos();
    if (device.isSequential() || device.peek(kPngSignature.size()) != kPngSignature)
        return;
    const qint64 end = device.size();
    constexpr qint64 kHeaderSize = 8;
    for (qint64 at = start + kPngSignature.size(); at + kHeaderSize <= end;) {
        device.seek(at);
        const QByteArray header = device.read(kHeaderSize);
        const qint64 length =
            header.size() < kHeaderSize ? -1 : qFromBigEndian<quint32>(header.constData());
        if (length < 0 || length > end - at - kHeaderSize) {
            device.seek(start);
            throw Error(QStringLiteral("The picture is damaged: a part of it runs past its end"));
        }
        if (header.endsWith("IEND"))
            break;
        at += kHeaderSize + length + 4;
    }
    device.seek(start);
}

QImage decode(QImageReader &reader)
{
    // Guessing another format from the content would decode GIFs and the like, whose readers do
    // not report their size before decoding and so passed the size limit below.
    reader.setAutoDetectImageFormat(false);
    QIODevice *device = reader.device();
    if (device != nullptr && (device->isOpen() || device->open(QIODevice::ReadOnly)))
        refuseChunksPastTheEnd(*device);
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
