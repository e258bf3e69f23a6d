#include "TestRegistry.h"

#include "admin/LogoCodec.h"
#include "platform/Error.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace corvel;

namespace {

const QString kDamaged = QStringLiteral("The picture is damaged: a part of it runs past its end");

QByteArray chunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), bytes.data());
    return bytes + type + data + QByteArray(4, '\0');
}

QByteArray smallPng()
{
    QImage image(3, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    return logocodec::encode(image);
}

// The PNG with `extra` inserted just before its IEND chunk.
QByteArray withBeforeEnd(const QByteArray &extra)
{
    QByteArray png = smallPng();
    return png.insert(png.size() - 12, extra);
}

QByteArray lengthPrefixed(const QByteArray &png)
{
    QByteArray prefix(8, '\0');
    qToLittleEndian<quint16>(1, prefix.data());
    qToLittleEndian<quint16>(256, prefix.data() + 2);
    qToLittleEndian<quint32>(quint32(png.size()), prefix.data() + 4);
    return prefix + png;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString decodeError(const QByteArray &value)
{
    try {
        logocodec::decodeStored(value);
    } catch (const Error &error) {
        return error.message();
    }
    return QStringLiteral("<decoded>");
}

} // namespace

class LogoCodecTest : public QObject
{
    Q_OBJECT

private slots:
    // Fuzzing found a few hundred bytes whose text chunk claimed 1.6 GB; libpng asked for all of
    // it before reading. Such a value is refused before the decoder sees it.
    void refusesAChunkLongerThanWhatFollows_data()
    {
        QFile finding(QStringLiteral(CORVEL_TEST_DATA_DIR "/fuzz/logo/chunk-past-end.png"));
        QVERIFY(finding.open(QIODevice::ReadOnly));
        QByteArray claimsTooMuch = chunk("tEXt", "Comment\0short");
        qToBigEndian<quint32>(0x61000025, claimsTooMuch.data());

        // Only stored values may carry the length prefix; a file holds the PNG alone.
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("alsoAsFile");
        QTest::newRow("fuzz finding") << finding.readAll() << true;
        QTest::newRow("text chunk claiming 1.6 GB") << withBeforeEnd(claimsTooMuch) << true;
        QTest::newRow("length-prefixed") << lengthPrefixed(withBeforeEnd(claimsTooMuch)) << false;
        QTest::newRow("cut inside the picture data") << smallPng().chopped(20) << true;
    }
    void refusesAChunkLongerThanWhatFollows()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, alsoAsFile);
        QCOMPARE(decodeError(value), kDamaged);
        if (!alsoAsFile)
            return;

        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("logo.png"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(value);
        file.close();
        try {
            logocodec::readFile(path);
            QFAIL("the file was decoded");
        } catch (const Error &error) {
            QCOMPARE(error.message(), kDamaged);
        }
    }

    void decodesPicturesWhoseChunksAllFit_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("plain") << smallPng();
        QTest::newRow("with a text chunk") << withBeforeEnd(chunk("tEXt", "Title\0Corvel"));
        QTest::newRow("bytes after the end chunk") << smallPng() + QByteArray(40, '\xff');
    }
    void decodesPicturesWhoseChunksAllFit()
    {
        QFETCH(QByteArray, value);
        QCOMPARE(logocodec::decodeStored(value).size(), QSize(3, 3));
    }

    // Fuzzing found a GIF 17434 pixels wide that decoded: the reader guessed its format, and the
    // GIF reader gives no size before decoding, so the size limit never saw it.
    void refusesPicturesInOtherFormats_data()
    {
        QFile finding(
            QStringLiteral(CORVEL_TEST_DATA_DIR "/fuzz/logo/gif-wider-than-accepted.gif"));
        QVERIFY(finding.open(QIODevice::ReadOnly));
        QImage small(4, 4, QImage::Format_RGB32);
        small.fill(Qt::blue);

        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("fuzz finding") << finding.readAll() << QByteArray("gif");
        QTest::newRow("small jpeg") << encoded(small, "jpg") << QByteArray("jpeg");
        QTest::newRow("small bmp") << encoded(small, "bmp") << QByteArray("bmp");
    }
    // Qt built for size on Windows reads no GIF at all; there the refusal alone is left to prove.
    void refusesPicturesInOtherFormats()
    {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, format);
        if (QImageReader::supportedImageFormats().contains(format))
            QVERIFY(!QImage::fromData(value).isNull());
        QVERIFY(decodeError(value) != QStringLiteral("<decoded>"));
    }

    // The limit once said 8192 x 8192 while Qt refused most pictures that size, so a stored logo
    // the window had accepted opened empty.
    void decodesEveryPictureWithinTheSizeLimit_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("square, 16 bits a channel with alpha")
            << QSize(logocodec::kMaxLogoSide, logocodec::kMaxLogoSide);
        QTest::newRow("widest") << QSize(logocodec::kMaxLogoSide, 1);
    }
    void decodesEveryPictureWithinTheSizeLimit()
    {
        QFETCH(QSize, size);
        QImage largest(size, QImage::Format_RGBA64);
        largest.fill(Qt::transparent);
        QImage decoded;
        QVERIFY_THROWS_NO_EXCEPTION(decoded = logocodec::decodeStored(logocodec::encode(largest)));
        QCOMPARE(decoded.size(), size);
    }

    void refusesPicturesBeyondTheSizeLimit_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("one pixel too wide") << QSize(logocodec::kMaxLogoSide + 1, 1);
        QTest::newRow("one pixel too tall") << QSize(1, logocodec::kMaxLogoSide + 1);
    }
    void refusesPicturesBeyondTheSizeLimit()
    {
        QFETCH(QSize, size);
        QImage image(size, QImage::Format_Mono);
        image.fill(0);
        QCOMPARE(decodeError(logocodec::encode(image)),
                 QStringLiteral("The picture is %1 x %2 pixels; at most 4096 x 4096 are accepted")
                     .arg(size.width())
                     .arg(size.height()));
    }

    void leavesValuesThatAreNoPngToTheDecoder()
    {
        const QString message = decodeError(QByteArrayLiteral("\xFF\xD8\xFF\xE0 a jpeg"));
        QVERIFY(message != kDamaged);
        QVERIFY(message != QStringLiteral("<decoded>"));
    }
};

CORVEL_TEST(LogoCodecTest)

#include "LogoCodecTest.moc"
