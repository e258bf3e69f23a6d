#include "data/ConnectionString.h"

namespace corvel::connectionstring {

QString build(const QString &userName, const QString &catalog, const QString &source,
              const QString &launcherVersion, const QString &computerName)
{
    // Values go in unquoted, as the launcher always wrote them: a ";" in a setting splits the
    // attribute, and peers reading the workstation id rely on this exact form.
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + kBuiltInPassword + u';' +
           QStringLiteral("Persist Security Info=True;") + QStringLiteral("User ID=") + userName +
           u';' + QStringLiteral("Initial Catalog=") + catalog + u';' +
           QStringLiteral("Data Source=") + source + u';' +
           QStringLiteral("Use Procedure for Prepare=1;") + QStringLiteral("Auto Translate=True;") +
           QStringLiteral("Packet Size=4096;") + QStringLiteral("Workstation ID=") +
           QStringLiteral("CorvelLauncher-V") + launcherVersion + u' ' + computerName + u';' +
           QStringLiteral("Use Encryption for Data=False;") +
           QStringLiteral("Tag with column collation when possible=False;");
}

QList<QPair<QString, QString>> parse(const QString &connectionString)
{
    QList<QPair<QString, QString>> attributes;
    const QStringList pieces = connectionString.split(u';');
    for (const QString &piece : pieces) {
        const qsizetype equals = piece.indexOf(u'=');
        if (equals < 0)
            continue;
        attributes.append({piece.left(equals).trimmed(), piece.mid(equals + 1)});
    }
    return attributes;
}

QString attribute(const QString &connectionString, const QString &key)
{
    const QList<QPair<QString, QString>> attributes = parse(connectionString);
    for (const auto &[name, value] : attributes) {
        if (name.compare(key, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QString();
}

} // namespace corvel::connectionstring
