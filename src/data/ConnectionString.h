#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace corvel {

// The launcher's connection string, built exactly as it always has been (an OLE DB style text)
// and kept as text; the engines translate it to what their client library wants.
namespace connectionstring {

// The password of the suite's database login, the same on every workstation.
inline const QString kBuiltInPassword = QStringLiteral("Kelvo8362");

QString build(const QString &userName, const QString &catalog, const QString &source,
              const QString &launcherVersion, const QString &computerName);

// Splits "Key=Value;Key=Value;..." into its attributes in order; text without "=" is dropped.
QList<QPair<QString, QString>> parse(const QString &connectionString);
// The value of the first attribute named `key` (letter case ignored), or empty text.
QString attribute(const QString &connectionString, const QString &key);

} // namespace connectionstring
} // namespace corvel
