#include "settings/IniFile.h"

#include "settings/IniDocument.h"
#include "settings/IniSnapshot.h"
#include "settings/SettingsFileWrite.h"
#include "settings/SettingsWriteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace corvel {

namespace {

constexpr QFileDevice::Permissions kAnyWrite =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

// A link is written through, so the file it names keeps being the one that is shared.
QString writtenPath(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

bool holdsLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    return IniSnapshot(m_path).readString(section, key, defaultValue);
}

bool IniFile::sectionHasKeys(const QString &section) const
{
    return IniSnapshot(m_path).sectionHasKeys(section);
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString fullPath = QDir::toNativeSeparators(QFileInfo(m_path).absoluteFilePath());
    // A line break would end the line early and turn the rest of the value into a line of its
    // own, which a later read could take for a key or a section.
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value))
        throw Error(QStringLiteral("The value of %1 in section %2 cannot hold a line break; "
                                   "nothing was written to %3")
                        .arg(key, section, fullPath));

    const QFileInfo info(m_path);
    QByteArray bytes;
    if (info.exists()) {
        // The read-only attribute stops the write even where the process could override it.
        if (!info.isFile() || (info.permissions() & kAnyWrite) == 0)
            throw SettingsWriteError(fullPath);
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            throw SettingsWriteError(fullPath);
        bytes = file.readAll();
    }

    const std::optional<QByteArray> updated = IniDocument(bytes).withValue(section, key, value);
    if (!updated)
        throw Error(QStringLiteral("The value of %1 in section %2 cannot be stored in %3 "
                                   "without changing its other lines; nothing was written")
                        .arg(key, section, fullPath));

    if (!settingsfile::replaceContents(writtenPath(m_path), *updated))
        throw SettingsWriteError(fullPath);
}

} // namespace corvel
