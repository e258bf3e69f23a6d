#pragma once

#include "data/Command.h"
#include "data/Connection.h"
#include "data/ConnectionString.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace corvel::test {

// The launcher's connection string naming `catalog`, as the before-connect step builds it.
inline QString launcherString(const QString &catalog)
{
    return connectionstring::build(QStringLiteral("corvel_app"), catalog, QStringLiteral("db01"),
                                   QStringLiteral("1.0.0.0"), QStringLiteral("PC-17"));
}

// An empty SQLite file in a temporary folder and a connection on the SQLite engine pointed at
// it, for cases that need tables of their own.
class ScratchDatabase
{
public:
    ScratchDatabase()
    {
        QFile file(path());
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(path()));
        file.close();
        EngineOptions options;
        options.engine = Engine::SQLite;
        options.baseFolder = m_dir.path();
        connection.setEngineOptions(options);
        connection.setConnectionString(launcherString(QStringLiteral("scratch.db")));
    }

    QString path() const { return m_dir.filePath(QStringLiteral("scratch.db")); }

    void exec(const QString &sql)
    {
        Command command(connection, sql);
        command.execute();
    }

private:
    QTemporaryDir m_dir;

public:
    Connection connection;
};

} // namespace corvel::test
