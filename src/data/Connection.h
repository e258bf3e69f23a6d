#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <functional>

namespace corvel {

enum class Engine
{
    SqlServer,
    SQLite
};

// How the connection string is turned into a real connection. SQL Server (the default) goes
// through ODBC; SQLite opens the file named by "Initial Catalog", relative to `baseFolder`.
struct EngineOptions
{
    Engine engine = Engine::SqlServer;
    QString odbcDriver; // empty: the installed SQL Server driver is chosen
    QString baseFolder; // the launcher's folder, for a relative SQLite file

    bool operator==(const EngineOptions &) const = default;
};

// The one database connection of the program. Any query or command on a closed connection opens
// it first; every open runs the before-connect step, which sets the connection string.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void setBeforeConnect(std::function<void()> step);
    void setConnectionString(const QString &connectionString);
    const QString &connectionString() const noexcept { return m_connectionString; }
    void setEngineOptions(const EngineOptions &options);
    const EngineOptions &engineOptions() const noexcept { return m_options; }

    // Runs the before-connect step, then connects. Throws what the step throws, or DatabaseError
    // with the provider's message.
    void open();
    void ensureOpen();
    bool isOpen() const;
    void close();

    // Fails with DatabaseError on a closed connection; does not open it.
    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const noexcept { return m_inTransaction; }

    QSqlDatabase database() const;

    // Called with every failed statement. When the failure says the connection itself is gone
    // (the server dropped it, the database file went away), the connection is closed, so the next
    // operation connects again through the before-connect step, with freshly read settings.
    void statementFailed(const QSqlError &error);
    static bool isConnectionLost(const QSqlError &error, Engine engine);

    // The ODBC connection string for SQL Server, derived from the launcher's connection string.
    static QString odbcConnectionString(const QString &connectionString, const QString &driver);
    // The SQL Server ODBC driver to use when none is configured: Microsoft's when registered,
    // else FreeTDS (on Windows, the system's own "SQL Server" driver).
    static QString defaultSqlServerDriver();
    // The same, looking the driver up in the given unixODBC driver registry (odbcinst.ini).
    static QString defaultSqlServerDriver(const QString &odbcinstIni);

private:
    void openEngine();
    void openSqlServer();
    void openSqlite();
    bool databaseFileMoved() const;

    QString m_name;
    QString m_connectionString;
    EngineOptions m_options;
    std::function<void()> m_beforeConnect;
    bool m_inTransaction = false;
};

} // namespace corvel
