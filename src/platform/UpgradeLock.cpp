#include "platform/UpgradeLock.h"

#include "platform/UpgradeBusyError.h"

#include <QDir>

namespace corvel {

const QString UpgradeLock::kFileName = QStringLiteral(".corvel-upgrade.lock");

QString UpgradeLock::lockFilePath() const
{
    return QDir(m_folder).filePath(kFileName);
}

void UpgradeLock::failBusy() const
{
    throw UpgradeBusyError(
        QStringLiteral("Another upgrade of %1 is running. Try again when it has finished")
            .arg(QDir::toNativeSeparators(m_folder)));
}

void UpgradeLock::failNotAFile() const
{
    throw FileError(QStringLiteral("%1 is not a regular file, so no upgrade was started")
                        .arg(QDir::toNativeSeparators(lockFilePath())));
}

} // namespace corvel
