// corvel-render-artwork <source.svg> <target.png|.jpg|.rgb32|.argb32|.ico> <size>: draws an SVG
// picture into a square image of the given size, as Qt's SVG icon engine would at run time. The
// build renders the artwork shown on every start once, so the launcher does not parse and draw it
// each time. An .rgb32 or .argb32 target holds the pixels alone, row after row, as
// QImage::Format_RGB32 or Format_ARGB32_Premultiplied keeps them in this machine's memory, for the
// launcher to show without decoding them. An .ico target is a Windows program icon holding the
// picture at the usual icon sizes up to the given one.
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>

namespace {

int usage()
{
    QTextStream(stderr) << "usage: corvel-render-artwork <source.svg> "
                           "<target.png|.jpg|.rgb32|.argb32|.ico> <size>\n";
    return 2;
}

int fail(const QString &message)
{
    QTextStream(stderr) << message << '\n';
    return 1;
}

int writeRaw(const QImage &image, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()) !=
            image.sizeInBytes() ||
        !file.commit())
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return 0;
}

QImage render(QSvgRenderer &renderer, int size)
{
    const QSize imageSize = renderer.defaultSize().scaled(size, size, Qt::KeepAspectRatio);
    QImage image(imageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

template <typename T> void append(QByteArray &out, T value)
{
    const T little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&little), sizeof little);
}

// An icon directory whose images are PNG data, which Windows reads at every size since Vista.
int writeIcon(QSvgRenderer &renderer, int largest, const QString &path)
{
    QList<QByteArray> images;
    QList<int> sizes;
    for (const int size : {16, 20, 24, 32, 40, 48, 64, 128, 256}) {
        if (size > largest)
            break;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!render(renderer, size).save(&buffer, "png"))
            return fail(QStringLiteral("%1: cannot encode a %2-pixel image").arg(path).arg(size));
        images.append(png);
        sizes.append(size);
    }
    QByteArray out;
    append<quint16>(out, 0);
    append<quint16>(out, 1);
    append<quint16>(out, quint16(images.size()));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        append<quint8>(out, quint8(sizes[i] % 256)); // 0 stands for 256
        append<quint8>(out, quint8(sizes[i] % 256));
        append<quint8>(out, 0);
        append<quint8>(out, 0);
        append<quint16>(out, 1);
        append<quint16>(out, 32);
        append<quint32>(out, quint32(images[i].size()));
        append<quint32>(out, offset);
        offset += quint32(images[i].size());
    }
    for (const QByteArray &png : images)
        out.append(png);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit())
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Text in the artwork needs the font database, which needs a platform; a build has no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a session runtime folder Qt warns once per picture; a private one keeps builds quiet.
    const QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    bool sizeOk = false;
    const int size = arguments.value(2).toInt(&sizeOk);
    if (arguments.size() != 3 || !sizeOk || size <= 0)
        return usage();

    QSvgRenderer renderer(arguments[0]);
    if (!renderer.isValid())
        return fail(QStringLiteral("%1: not a valid SVG picture").arg(arguments[0]));
    const QByteArray format = QFileInfo(arguments[1]).suffix().toLower().toLatin1();
    if (format == "ico")
        return writeIcon(renderer, size, arguments[1]);
    const QImage image = render(renderer, size);
    if (format == "rgb32")
        return writeRaw(image.convertToFormat(QImage::Format_RGB32), arguments[1]);
    if (format == "argb32")
        return writeRaw(image, arguments[1]);
    QImageWriter writer(arguments[1], format);
    if (format == "jpg")
        writer.setQuality(95);
    if (!writer.write(image))
        return fail(QStringLiteral("%1: %2").arg(arguments[1], writer.errorString()));
    return 0;
}
