#pragma once

#include "data/Connection.h"

#include <QString>

namespace corvel {

class IniSnapshot;

// The [Database] section of Workers.ini, read the same way by the launcher's before-connect step
// and by the tools that reach the launcher's database.
struct DatabaseSettings
{
    QString userName;
    QString catalog;
    QString source;
    // Not part of the connection string: which engine serves it on this workstation.
    EngineOptions options;

    // A relative SQLite file lies in `baseFolder`.
    static DatabaseSettings read(const IniSnapshot &ini, const QString &baseFolder);
    QString connectionString(const QString &version, const QString &computerName) const;
};

} // namespace corvel
