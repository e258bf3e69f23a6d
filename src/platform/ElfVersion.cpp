#include "platform/ElfVersion.h"

#include "platform/Error.h"
#include "platform/ImageFile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

namespace corvel::elfversion {

namespace {

constexpr quint32 kNoteSection = 7; // SHT_NOTE
constexpr quint32 kNoteSegment = 4; // PT_NOTE
constexpr quint32 kPackageNoteType = 0xcafe1a7eu;
constexpr quint64 kNoteHeaderSize = 12;
const QByteArray kPackageNoteOwner("FDO\0", 4);
const QString kVersionKey = QStringLiteral("version");

struct Region
{
    quint64 offset = 0;
    quint64 size = 0;
    quint64 align = 4;
};

struct Note
{
    quint64 descOffset = 0;
    QByteArray desc;
};

class ElfImage
{
public:
    explicit ElfImage(ImageFile &file) : m_file(file)
    {
        const QByteArray ident = file.read(0, 16);
        if (!ident.startsWith("\x7f"
                              "ELF") ||
            (ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2))
            ImageFile::noVersion();
        m_64 = ident[4] == 2;
        m_big = ident[5] == 2;
        m_header = file.read(0, m_64 ? 64 : 52);
    }

    Note packageNote()
    {
        Note note;
        if (findIn(noteSections(), &note) || findIn(noteSegments(), &note))
            return note;
        ImageFile::noVersion();
    }

private:
    quint64 word(const QByteArray &piece, quint64 at32, quint64 at64) const
    {
        return m_64 ? field64(piece, at64, m_big) : field32(piece, at32, m_big);
    }
    quint16 half(quint64 at32, quint64 at64) const
    {
        return field16(m_header, m_64 ? at64 : at32, m_big);
    }

    QList<Region> noteSections()
    {
        const quint64 tableOffset = word(m_header, 32, 40);
        const quint64 entrySize = half(46, 58);
        if (tableOffset == 0 || entrySize < (m_64 ? 64u : 40u))
            return {};
        quint64 count = half(48, 60);
        // With 0xff00 sections or more the count lives in the first section header's size.
        if (count == 0)
            count = word(m_file.read(tableOffset, entrySize), 20, 32);
        if (count > m_file.size() / entrySize)
            ImageFile::noVersion();
        const QByteArray table = m_file.read(tableOffset, count * entrySize);
        QList<Region> regions;
        for (quint64 i = 0; i < count; ++i) {
            const QByteArray entry = table.mid(qsizetype(i * entrySize), qsizetype(entrySize));
            if (field32(entry, 4, m_big) == kNoteSection)
                regions.append({word(entry, 16, 24), word(entry, 20, 32), word(entry, 32, 48)});
        }
        return regions;
    }

    QList<Region> noteSegments()
    {
        const quint64 tableOffset = word(m_header, 28, 32);
        const quint64 entrySize = half(42, 54);
        if (tableOffset == 0 || entrySize < (m_64 ? 56u : 32u))
            return {};
        const quint64 count = half(44, 56);
        const QByteArray table = m_file.read(tableOffset, count * entrySize);
        QList<Region> regions;
        for (quint64 i = 0; i < count; ++i) {
            const QByteArray entry = table.mid(qsizetype(i * entrySize), qsizetype(entrySize));
            if (field32(entry, 0, m_big) == kNoteSegment)
                regions.append({word(entry, 4, 8), word(entry, 16, 32), word(entry, 28, 48)});
        }
        return regions;
    }

    bool findIn(const QList<Region> &regions, Note *found)
    {
        for (const Region &region : regions) {
            // A damaged note section elsewhere must not hide ours.
            if (m_file.fits(region.offset, region.size) && findIn(region, found))
                return true;
        }
        return false;
    }

    // Notes are 4-byte aligned, except those of 8-aligned sections on 64-bit systems.
    bool findIn(const Region &region, Note *found)
    {
        const quint64 align = region.align == 8 ? 8 : 4;
        const auto padded = [align](quint64 size) { return (size + align - 1) / align * align; };
        const quint64 end = region.offset + region.size;
        quint64 position = region.offset;
        while (end - position >= kNoteHeaderSize) {
            const QByteArray header = m_file.read(position, kNoteHeaderSize);
            const quint64 nameSize = field32(header, 0, m_big);
            const quint64 descSize = field32(header, 4, m_big);
            const quint32 type = field32(header, 8, m_big);
            const quint64 descOffset = position + kNoteHeaderSize + padded(nameSize);
            if (descOffset > end || descSize > end - descOffset)
                return false;
            if (type == kPackageNoteType && nameSize == quint64(kPackageNoteOwner.size()) &&
                m_file.read(position + kNoteHeaderSize, nameSize) == kPackageNoteOwner) {
                *found = {descOffset, m_file.read(descOffset, descSize)};
                return true;
            }
            position = descOffset + qMin(padded(descSize), end - descOffset);
        }
        return false;
    }

    ImageFile &m_file;
    bool m_64 = false;
    bool m_big = false;
    QByteArray m_header;
};

QJsonObject metadataOf(const Note &note)
{
    QByteArray json = note.desc;
    while (json.endsWith('\0'))
        json.chop(1);
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        ImageFile::noVersion();
    return document.object();
}

} // namespace

bool isElf(ImageFile &file)
{
    return file.size() >= 4 && file.read(0, 4) == "\x7f"
                                                  "ELF";
}

FileVersion read(ImageFile &file)
{
    FileVersion version;
    if (!FileVersion::parse(metadataOf(ElfImage(file).packageNote()).value(kVersionKey).toString(),
                            &version))
        ImageFile::noVersion();
    return version;
}

void stamp(ImageFile &file, const FileVersion &version)
{
    const Note note = ElfImage(file).packageNote();
    QJsonObject metadata = metadataOf(note);
    metadata.insert(kVersionKey, version.toString());
    QByteArray desc = QJsonDocument(metadata).toJson(QJsonDocument::Compact);
    // The note keeps its size: blanks fill it up to the closing NUL.
    const qsizetype room = note.desc.size() - 1;
    if (desc.size() > room)
        throw Error(
            QStringLiteral("The version note has no room for version %1").arg(version.toString()));
    desc.append(room - desc.size(), ' ');
    desc.append('\0');
    file.write(note.descOffset, desc);
}

} // namespace corvel::elfversion
