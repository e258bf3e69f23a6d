#pragma once

#include <QString>

namespace corvel {

// Where Workers.ini lives and the names and defaults of what it holds.
namespace settings {

inline const QString kFileName = QStringLiteral("Workers.ini");
// The folder of the running executable with a trailing separator: the session's Local_Path.
QString folderOf(const QString &executablePath);
// The full path of Workers.ini beside the executable.
QString settingsPath(const QString &executablePath);

inline const QString kDefaultStyle = QStringLiteral("Lavender Classico");
inline const QString kDefaultPortalUrl = QStringLiteral("https://portal.corvel-hr.com/");

} // namespace settings
} // namespace corvel
