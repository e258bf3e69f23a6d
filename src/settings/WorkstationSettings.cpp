#include "settings/WorkstationSettings.h"

#include <QDir>
#include <QFileInfo>

namespace corvel::settings {

QString folderOf(const QString &executablePath)
{
    const QString folder = QFileInfo(executablePath).absolutePath();
    return QDir::toNativeSeparators(folder.endsWith(u'/') ? folder : folder + u'/');
}

QString settingsPath(const QString &executablePath)
{
    return folderOf(executablePath) + kFileName;
}

} // namespace corvel::settings
