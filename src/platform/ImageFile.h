#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace corvel {

// An executable file read piece by piece: every read names its offset and length and is checked
// against the file's size first, so a malformed header can never lead outside the file or make
// us read more than the piece asked for. Any piece that does not fit fails with the system error
// for a file without a version.
class ImageFile
{
public:
    enum class Mode
    {
        Read,
        ReadWrite
    };

    // Throws SystemError: 2 when the file does not exist, 5 when it cannot be opened.
    ImageFile(const QString &path, Mode mode);

    quint64 size() const { return m_size; }
    bool fits(quint64 offset, quint64 length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }
    QByteArray read(quint64 offset, quint64 length);
    void write(quint64 offset, const QByteArray &bytes);

    // Fails the way every malformed or version-less file fails.
    [[noreturn]] static void noVersion();

private:
    QFile m_file;
    quint64 m_size = 0;
};

// Fixed-width unsigned fields of a piece read from an image; a field beyond the piece fails as a
// malformed file does.
quint16 field16(const QByteArray &piece, quint64 position, bool bigEndian = false);
quint32 field32(const QByteArray &piece, quint64 position, bool bigEndian = false);
quint64 field64(const QByteArray &piece, quint64 position, bool bigEndian = false);

} // namespace corvel
