#include "data/DatabaseSettings.h"

#include "data/ConnectionString.h"
#include "settings/IniSnapshot.h"

namespace corvel {

namespace {

// An optional yes/no key: absent or empty leaves the choice to the connection. "1" and "0", as
// the settings file stores yes/no, and the words yes, no, true and false; any other text takes
// the safer side, so a mistyped value never weakens the link.
std::optional<bool> optionalYesNo(const QString &value, bool safer)
{
    if (value.isEmpty())
        return std::nullopt;
    for (const char *yes : {"1", "yes", "true"})
        if (value.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0)
            return true;
    for (const char *no : {"0", "no", "false"})
        if (value.compare(QLatin1String(no), Qt::CaseInsensitive) == 0)
            return false;
    return safer;
}

} // namespace

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
    settings.options.encryption.encrypt =
        optionalYesNo(ini.readString(database, QStringLiteral("Encrypt"), QString()), true);
    settings.options.encryption.trustServerCertificate = optionalYesNo(
        ini.readString(database, QStringLiteral("TrustServerCertificate"), QString()), false);
    settings.options.baseFolder = baseFolder;
    return settings;
}

QString DatabaseSettings::connectionString(const QString &version,
                                           const QString &computerName) const
{
    return connectionstring::build(userName, catalog, source, version, computerName);
}

} // namespace corvel
