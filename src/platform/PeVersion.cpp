#include "platform/PeVersion.h"

#include "platform/ImageFile.h"

#include <QList>
#include <QtEndian>

namespace corvel::peversion {

namespace {

constexpr quint16 kDosMagic = 0x5a4d;        // "MZ"
constexpr quint32 kPeSignature = 0x00004550; // "PE\0\0"
constexpr quint16 kPe32Magic = 0x10b;
constexpr quint16 kPe32PlusMagic = 0x20b;
constexpr quint32 kResourceDirectory = 2;
constexpr quint32 kVersionType = 16; // RT_VERSION
constexpr quint32 kHighBit = 0x80000000u;
constexpr quint32 kFixedInfoSignature = 0xfeef04bdu;
constexpr quint64 kSectionHeaderSize = 40;
constexpr quint64 kDirectoryHeaderSize = 16;
constexpr quint64 kDirectoryEntrySize = 8;
// VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO" with its NUL, padding to 32
// bits, then the 52 bytes of VS_FIXEDFILEINFO.
constexpr quint64 kFixedInfoPosition = 40;
constexpr quint64 kFixedInfoSize = 52;
constexpr quint64 kVersionBlockHead = kFixedInfoPosition + kFixedInfoSize;

struct Section
{
    quint32 virtualAddress = 0;
    quint32 rawSize = 0;
    quint32 rawOffset = 0;
};

class ResourceWalk
{
public:
    ResourceWalk(ImageFile &file, QList<Section> sections, quint32 rootRva)
        : m_file(file), m_sections(std::move(sections)), m_rootRva(rootRva)
    {}

    // File offset of the piece at `rva`; only bytes present in a section's raw data count, as
    // the loader would zero-fill the rest.
    quint64 offsetOf(quint64 rva, quint64 length) const
    {
        for (const Section &section : m_sections) {
            if (rva < section.virtualAddress)
                continue;
            const quint64 into = rva - section.virtualAddress;
            if (into <= section.rawSize && length <= section.rawSize - into)
                return quint64(section.rawOffset) + into;
        }
        ImageFile::noVersion();
    }

    QByteArray readRva(quint64 rva, quint64 length)
    {
        return m_file.read(offsetOf(rva, length), length);
    }

    // The entries of the directory at `directory` (relative to the resource root).
    QByteArray entries(quint32 directory, int *count)
    {
        const quint64 rva = quint64(m_rootRva) + directory;
        const QByteArray header = readRva(rva, kDirectoryHeaderSize);
        *count = field16(header, 12) + field16(header, 14);
        return readRva(rva + kDirectoryHeaderSize, quint64(*count) * kDirectoryEntrySize);
    }

    // A resource directory lists named entries first, then numbered ones.
    quint32 subdirectoryOfType(quint32 type)
    {
        int count = 0;
        const QByteArray list = entries(0, &count);
        for (int i = 0; i < count; ++i) {
            const quint32 name = field32(list, quint64(i) * kDirectoryEntrySize);
            const quint32 target = field32(list, quint64(i) * kDirectoryEntrySize + 4);
            if (name == type)
                return subdirectory(target);
        }
        ImageFile::noVersion();
    }

    quint32 firstEntry(quint32 directory)
    {
        int count = 0;
        const QByteArray list = entries(directory, &count);
        if (count == 0)
            ImageFile::noVersion();
        return field32(list, 4);
    }

    static quint32 subdirectory(quint32 target)
    {
        if ((target & kHighBit) == 0)
            ImageFile::noVersion();
        return target & ~kHighBit;
    }

    // The file offset of VS_FIXEDFILEINFO: type RT_VERSION, its first name, its first language.
    quint64 fixedInfoOffset()
    {
        const quint32 names = subdirectoryOfType(kVersionType);
        const quint32 languages = subdirectory(firstEntry(names));
        const quint32 leaf = firstEntry(languages);
        if ((leaf & kHighBit) != 0)
            ImageFile::noVersion();
        const QByteArray dataEntry = readRva(quint64(m_rootRva) + leaf, 16);
        const quint32 dataRva = field32(dataEntry, 0);
        const quint32 dataSize = field32(dataEntry, 4);
        if (dataSize < kVersionBlockHead)
            ImageFile::noVersion();
        const quint64 offset = offsetOf(dataRva, kVersionBlockHead);
        const QByteArray block = m_file.read(offset, kVersionBlockHead);
        const QString key =
            QString::fromUtf16(reinterpret_cast<const char16_t *>(block.constData() + 6), 15);
        if (field16(block, 2) < kFixedInfoSize || key != QLatin1String("VS_VERSION_INFO") ||
            field16(block, 36) != 0 || field32(block, kFixedInfoPosition) != kFixedInfoSignature)
            ImageFile::noVersion();
        return offset + kFixedInfoPosition;
    }

private:
    ImageFile &m_file;
    QList<Section> m_sections;
    quint32 m_rootRva;
};

quint64 fixedInfoOffset(ImageFile &file)
{
    const QByteArray dos = file.read(0, 64);
    if (field16(dos, 0) != kDosMagic)
        ImageFile::noVersion();
    const quint64 peOffset = field32(dos, 0x3c);
    const QByteArray coff = file.read(peOffset, 24);
    if (field32(coff, 0) != kPeSignature)
        ImageFile::noVersion();
    const quint16 sectionCount = field16(coff, 6);
    const quint16 optionalSize = field16(coff, 20);
    const QByteArray optional = file.read(peOffset + 24, optionalSize);

    quint64 countPosition = 0;
    switch (field16(optional, 0)) {
    case kPe32Magic:
        countPosition = 92;
        break;
    case kPe32PlusMagic:
        countPosition = 108;
        break;
    default:
        ImageFile::noVersion();
    }
    if (field32(optional, countPosition) <= kResourceDirectory)
        ImageFile::noVersion();
    const quint64 directory = countPosition + 4 + kResourceDirectory * 8;
    const quint32 resourceRva = field32(optional, directory);
    if (resourceRva == 0 || field32(optional, directory + 4) == 0)
        ImageFile::noVersion();

    const QByteArray table =
        file.read(peOffset + 24 + optionalSize, sectionCount * kSectionHeaderSize);
    QList<Section> sections;
    for (quint64 i = 0; i < sectionCount; ++i) {
        const quint64 at = i * kSectionHeaderSize;
        sections.append(
            {field32(table, at + 12), field32(table, at + 16), field32(table, at + 20)});
    }
    return ResourceWalk(file, std::move(sections), resourceRva).fixedInfoOffset();
}

QByteArray versionWords(const FileVersion &version)
{
    QByteArray words(8, '\0');
    auto *data = reinterpret_cast<uchar *>(words.data());
    qToLittleEndian<quint32>(quint32(version.major) << 16 | version.minor, data);
    qToLittleEndian<quint32>(quint32(version.release) << 16 | version.build, data + 4);
    return words;
}

} // namespace

bool isPe(ImageFile &file)
{
    return file.size() >= 2 && field16(file.read(0, 2), 0) == kDosMagic;
}

FileVersion read(ImageFile &file)
{
    const QByteArray info = file.read(fixedInfoOffset(file), kFixedInfoSize);
    const quint32 mostSignificant = field32(info, 8);
    const quint32 leastSignificant = field32(info, 12);
    return {quint16(mostSignificant >> 16), quint16(mostSignificant & 0xffff),
            quint16(leastSignificant >> 16), quint16(leastSignificant & 0xffff)};
}

void stamp(ImageFile &file, const FileVersion &version)
{
    const QByteArray words = versionWords(version);
    // dwFileVersionMS/LS, then dwProductVersionMS/LS.
    file.write(fixedInfoOffset(file) + 8, words + words);
}

} // namespace corvel::peversion
