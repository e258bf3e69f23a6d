#include "app/AppVersion.h"

#include "platform/VersionResource.h"

#include <QDir>
#include <QFileInfo>

namespace corvel {

QString GetAppVersionStr(const QString &fileName, const QString &launcherFolder)
{
    const QString path = QFileInfo(fileName).isAbsolute() || launcherFolder.isEmpty()
                             ? fileName
                             : QDir(launcherFolder).filePath(fileName);
    return versionresource::read(path).toString();
}

} // namespace corvel
