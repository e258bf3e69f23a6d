#pragma once

#include <QString>
#include <QtGlobal>

namespace corvel {

// The fixed file version of an executable: four unsigned 16-bit numbers.
struct FileVersion
{
    quint16 major = 0;
    quint16 minor = 0;
    quint16 release = 0;
    quint16 build = 0;

    // "%d.%d.%d.%d"
    QString toString() const;
    // Parses exactly four dotted numbers of 0..65535; false otherwise.
    static bool parse(const QString &text, FileVersion *out);

    bool operator==(const FileVersion &) const = default;
};

// Reads and writes the version stamp of PE (VS_FIXEDFILEINFO of the RT_VERSION resource) and ELF
// (".note.package" JSON note) executables. Only headers and the resource or note are read, never
// the whole file.
namespace versionresource {

// Throws SystemError: code 2 for a missing file, 1813 when the file carries no version, and a
// system error as well for a truncated or malformed file.
FileVersion read(const QString &path);
// Rewrites the version of an already stamped file in place. Throws Error on failure.
void stamp(const QString &path, const FileVersion &version);

} // namespace versionresource
} // namespace corvel
