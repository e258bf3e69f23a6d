#include "settings/IniSnapshot.h"

#include <QFile>
#include <QFileInfo>

namespace corvel {

namespace {

// Empty when there is no regular file to read: a folder or a device under the name reads as
// a missing file, as the profile functions treat it.
std::optional<IniDocument> read(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return IniDocument(file.readAll());
}

} // namespace

IniSnapshot::IniSnapshot(const QString &path) : m_document(read(path)) {}

QString IniSnapshot::readString(const QString &section, const QString &key,
                                const QString &defaultValue) const
{
    // A "[]" line names no section Windows will find.
    if (!m_document || section.isEmpty())
        return defaultValue;
    return m_document->value(section, key).value_or(defaultValue);
}

bool IniSnapshot::sectionHasKeys(const QString &section) const
{
    return m_document && m_document->sectionHasKeys(section);
}

} // namespace corvel
