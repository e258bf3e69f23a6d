#include "platform/VersionResource.h"

#include "platform/ElfVersion.h"
#include "platform/ImageFile.h"
#include "platform/PeVersion.h"

#include <QStringList>

namespace corvel {

QString FileVersion::toString() const
{
    return QStringLiteral("%1.%2.%3.%4").arg(major).arg(minor).arg(release).arg(build);
}

bool FileVersion::parse(const QString &text, FileVersion *out)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return false;
    quint16 numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        const QString &part = parts[i];
        if (part.isEmpty() || part.size() > 5 ||
            !std::all_of(part.begin(), part.end(), [](QChar c) { return c.isDigit(); }))
            return false;
        const uint number = part.toUInt();
        if (number > 0xffff)
            return false;
        numbers[i] = quint16(number);
    }
    *out = {numbers[0], numbers[1], numbers[2], numbers[3]};
    return true;
}

namespace versionresource {

// A file that is neither a PE nor an ELF image, or one too damaged to walk, fails like a valid
// image without a version (1813) rather than with "not a valid Win32 application" (193): the
// launcher's users only need to know that no version could be found.
FileVersion read(const QString &path)
{
    ImageFile file(path, ImageFile::Mode::Read);
    if (peversion::isPe(file))
        return peversion::read(file);
    if (elfversion::isElf(file))
        return elfversion::read(file);
    ImageFile::noVersion();
}

void stamp(const QString &path, const FileVersion &version)
{
    ImageFile file(path, ImageFile::Mode::ReadWrite);
    if (peversion::isPe(file))
        peversion::stamp(file, version);
    else if (elfversion::isElf(file))
        elfversion::stamp(file, version);
    else
        ImageFile::noVersion();
}

} // namespace versionresource
} // namespace corvel
