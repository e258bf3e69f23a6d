#pragma once

#include "settings/IniDocument.h"

#include <QString>
#include <optional>

namespace corvel {

// Workers.ini as it was when the snapshot was taken, for a task that reads several values at
// once: the file is opened once, and the snapshot sees none of the changes made after.
class IniSnapshot
{
public:
    explicit IniSnapshot(const QString &path);

    // As IniFile::readString.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    bool sectionHasKeys(const QString &section) const;

private:
    // Empty when there was no regular file to read.
    std::optional<IniDocument> m_document;
};

} // namespace corvel
