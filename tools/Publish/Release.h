#pragma once

#include <QList>
#include <QString>

namespace corvel::publish {

// One file of a release, named as the distribution folder holds it.
struct ReleaseFile
{
    QString name;    // "/" between folders: "CorvelMap.exe", "Reports/Payslip.fr3"
    QString source;  // its path in the release folder
    QString appId;   // the AppsVersions row that publishes its version; empty for none
    QString version; // "%d.%d.%d.%d" for a program, empty for the other files

    bool isProgram() const { return name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive); }
};

// A release folder laid out as the distribution folder is: the catalogue's programs,
// PrintDesigner.dll and Reports/*.fr3.
class Release
{
public:
    explicit Release(QString folder);

    // What the folder holds that the launcher fetches, programs first in catalogue order. Throws
    // PublishError when the folder is missing, holds none of those files, or holds a program
    // whose version cannot be read (every such program is named).
    QList<ReleaseFile> survey() const;

    // True for the names survey() gives: a catalogue program, PrintDesigner.dll or
    // Reports/<name>.fr3, never a path that leaves the distribution folder.
    static bool isDistributionName(const QString &name);
    // The version of a program as the launcher reads it, or the reason there is none.
    static bool readVersion(const QString &path, QString *version, QString *problem);

private:
    QString m_folder;
};

} // namespace corvel::publish
