#include "PublishSettings.h"

#include "PublishError.h"
#include "settings/IniSnapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace corvel::publish {

namespace {

bool endsWithSeparator(const QString &path)
{
#ifdef Q_OS_WIN
    return path.endsWith(u'\\') || path.endsWith(u'/');
#else
    return path.endsWith(u'/');
#endif
}

PublishError settingsError(const QString &message)
{
    return PublishError(ExitCode::Settings, message);
}

} // namespace

PublishSettings PublishSettings::read(const QString &settingsPath)
{
    const QString shown = QDir::toNativeSeparators(settingsPath);
    QFile file(settingsPath);
    if (!QFileInfo(settingsPath).isFile() || !file.open(QIODevice::ReadOnly))
        throw settingsError(QStringLiteral("Cannot read the settings file %1").arg(shown));
    file.close();

    const QString folder = QFileInfo(settingsPath).absolutePath() + u'/';
    const IniSnapshot ini(settingsPath);
    PublishSettings settings;
    settings.settingsPath = settingsPath;
    settings.database = DatabaseSettings::read(ini, folder);
    const QString share = ini.readString(QStringLiteral("Distribution_Pathes"),
                                         QStringLiteral("SharedFolder_Path"), QString());
    if (share.isEmpty())
        throw settingsError(QStringLiteral("%1 names no distribution folder "
                                           "([Distribution_Pathes] SharedFolder_Path)")
                                .arg(shown));
#ifndef Q_OS_WIN
    if (share.endsWith(u'\\'))
        throw settingsError(QStringLiteral("SharedFolder_Path in %1 is a Windows folder (%2): run "
                                           "the tool on Windows, or give it a Workers.ini naming "
                                           "the folder as this machine reaches it")
                                .arg(shown, share));
#endif
    // The launcher appends file names to the setting as it stands.
    if (!endsWithSeparator(share))
        throw settingsError(
            QStringLiteral("SharedFolder_Path in %1 does not end with a folder separator, so the "
                           "launcher would look for %2CorvelLauncher.exe: add one")
                .arg(shown, share));
    settings.shareFolder = QDir::isAbsolutePath(share) ? share : folder + share;
    return settings;
}

void PublishSettings::configure(Connection &connection) const
{
    connection.setEngineOptions(database.options);
    connection.setConnectionString(database.connectionString(QStringLiteral(CORVEL_PUBLISH_VERSION),
                                                             qEnvironmentVariable("COMPUTERNAME")));
}

QString PublishSettings::describeDatabase() const
{
    if (database.options.engine == Engine::SQLite)
        return QStringLiteral("the SQLite file %1")
            .arg(QDir::toNativeSeparators(QDir::cleanPath(
                QDir(database.options.baseFolder).absoluteFilePath(database.catalog))));
    return QStringLiteral("SQL Server %1, database %2, login %3")
        .arg(database.source, database.catalog, database.userName);
}

} // namespace corvel::publish
