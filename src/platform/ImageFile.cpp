#include "platform/ImageFile.h"

#include "platform/Error.h"
#include "platform/RegularFile.h"
#include "platform/SystemError.h"

#include <QFileInfo>
#include <QtEndian>

namespace corvel {

namespace {

// Headers, directories and notes are small; anything bigger is a corrupt length field.
constexpr quint64 kLargestPiece = 16 * 1024 * 1024;

template <typename T> T field(const QByteArray &piece, quint64 position, bool bigEndian)
{
    if (position > quint64(piece.size()) || sizeof(T) > quint64(piece.size()) - position)
        ImageFile::noVersion();
    const auto *data = reinterpret_cast<const uchar *>(piece.constData()) + position;
    return bigEndian ? qFromBigEndian<T>(data) : qFromLittleEndian<T>(data);
}

} // namespace

ImageFile::ImageFile(const QString &path, Mode mode) : m_file(path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw SystemError(SystemError::FileNotFound);
    // Windows refuses to open a folder as a file with "Access is denied" as well.
    if (info.isDir())
        throw SystemError(SystemError::AccessDenied);
    const auto openMode = mode == Mode::Read ? QIODevice::ReadOnly : QIODevice::ReadWrite;
    int error = 0;
    // A FIFO or a device carries no version, and waiting on one would hang the Launch click.
    if (!openRegularFile(m_file, openMode, &error))
        throw SystemError(error == 0 ? SystemError::ResourceTypeNotFound
                                     : SystemError::AccessDenied);
    m_size = quint64(m_file.size());
}

QByteArray ImageFile::read(quint64 offset, quint64 length)
{
    if (length > kLargestPiece || !fits(offset, length) || !m_file.seek(qint64(offset)))
        noVersion();
    QByteArray bytes = m_file.read(qint64(length));
    // A file that shrank after it was opened is as truncated as one that was short to begin with.
    if (quint64(bytes.size()) != length)
        noVersion();
    return bytes;
}

void ImageFile::write(quint64 offset, const QByteArray &bytes)
{
    if (!fits(offset, quint64(bytes.size())) || !m_file.seek(qint64(offset)) ||
        m_file.write(bytes) != bytes.size() || !m_file.flush())
        throw Error(QStringLiteral("Cannot write the version into %1: %2")
                        .arg(m_file.fileName(), m_file.errorString()));
}

void ImageFile::noVersion()
{
    throw SystemError(SystemError::ResourceTypeNotFound);
}

quint16 field16(const QByteArray &piece, quint64 position, bool bigEndian)
{
    return field<quint16>(piece, position, bigEndian);
}

quint32 field32(const QByteArray &piece, quint64 position, bool bigEndian)
{
    return field<quint32>(piece, position, bigEndian);
}

quint64 field64(const QByteArray &piece, quint64 position, bool bigEndian)
{
    return field<quint64>(piece, position, bigEndian);
}

} // namespace corvel
