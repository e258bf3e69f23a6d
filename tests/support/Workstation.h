#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

namespace corvel::test {

// A temporary workstation folder: a stamped CorvelLauncher.exe (a copy of the module stub, so it
// carries a version note), Workers.ini, and on request a seeded SQLite database, module
// executables of any version and a distribution folder.
class Workstation
{
public:
    explicit Workstation(const QString &launcherVersion = QStringLiteral("1.0.0.0"));
    ~Workstation();

    // The folder, with a trailing separator (what Local_Path holds).
    QString folder() const;
    QString path(const QString &name) const; // folder() + name
    QString launcherPath() const { return path(QStringLiteral("CorvelLauncher.exe")); }
    QString settingsPath() const { return path(QStringLiteral("Workers.ini")); }

    void writeSettings(const QByteArray &content);
    QByteArray readSettings() const;

    // Builds corvel.db from schema/sqlite.sql and schema/demo-seed.sql and points Workers.ini at
    // it (Engine=SQLite, Catalog=corvel.db, Style=Lavender Classico).
    void useSeededDatabase();
    QString databasePath() const { return path(QStringLiteral("corvel.db")); }
    // A second connection to the same SQLite file, for arranging and asserting rows.
    QSqlDatabase direct();
    // Runs one statement on the direct connection; fails the test on error.
    void exec(const QString &sql);

    // Copies the module stub to `folder` + `fileName` and stamps it with `version`.
    void installExecutable(const QString &fileName, const QString &version);
    void installExecutableIn(const QString &folder, const QString &fileName,
                             const QString &version);
    // A distribution folder inside the workstation's temporary area, with a trailing separator.
    QString distributionFolder() const;

    static QString moduleStubPath();

private:
    QTemporaryDir m_dir;
    QString m_connectionName;
};

} // namespace corvel::test
