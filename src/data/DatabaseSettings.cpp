#include "data/DatabaseSettings.h"

#include "data/ConnectionString.h"
#include "settings/IniSnapshot.h"

namespace corvel {

DatabaseSettings DatabaseSettings::read(const IniSnapshot &ini, const QString &baseFolder)
{
    const QString database = QStringLiteral("Database");
    DatabaseSettings settings;
    settings.userName = ini.readString(database, QStringLiteral("UserName"), QString());
    settings.catalog = ini.readString(database, QStringLiteral("Catalog"), QString());
    settings.source = ini.readString(database, QStringLiteral("Source"), QString());
    const QString engine = ini.readString(database, QStringLiteral("Engine"), QString());
    settings.options.engine = engine.compare(QStringLiteral("SQLite"), Qt::CaseInsensitive) == 0
                                  ? Engine::SQLite
                                  : Engine::SqlServer;
    settings.options.odbcDriver = ini.readString(database, QStringLiteral("Driver"), QString());
    settings.options.baseFolder = baseFolder;
    return settings;
}

QString DatabaseSettings::connectionString(const QString &version,
                                           const QString &computerName) const
{
    return connectionstring::build(userName, catalog, source, version, computerName);
}

} // namespace corvel
