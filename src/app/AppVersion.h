#pragma once

#include <QString>

namespace corvel {

// The version string ("%d.%d.%d.%d") of an executable. A bare file name refers to the file in
// `launcherFolder`, where the modules live. Throws SystemError; never returns empty text.
QString GetAppVersionStr(const QString &fileName, const QString &launcherFolder = QString());

} // namespace corvel
