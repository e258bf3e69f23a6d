#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <functional>
#include <optional>

class QSqlQuery;

namespace corvel {

enum class Engine
{
    SqlServer,
    SQLite
};

// Whether the link to SQL Server is encrypted and the server's certificate trusted without
// checking it. Unset, each driver is asked for what the launcher has always asked for.
struct ServerEncryption
{
    std::optional<bool> encrypt;
    std::optional<bool> trustServerCertificate;

    bool operator==(const ServerEncryption &) const = default;
};

// How the connection string is turned into a real connection. SQL Server (the default) goes
// through ODBC; SQLite opens the file named by "Initial Catalog", relative to `baseFolder`.
struct EngineOptions
{
    Engine engine = Engine::SqlServer;
    QString odbcDriver; // empty: the installed SQL Server driver is chosen
    QString baseFolder; // the launcher's folder, for a relative SQLite file
    ServerEncryption encryption;

    bool operator==(const EngineOptions &) const = default;
};

// How long a connection attempt and a statement may wait for the server before they fail.
struct ConnectionTimeouts
{
    int loginSeconds = 15;
    int statementSeconds = 30;

    bool operator==(const ConnectionTimeouts &) const = default;
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
    // Not read from the settings: the before-connect step leaves them as they are.
    void setTimeouts(const ConnectionTimeouts &timeouts);
    const ConnectionTimeouts &timeouts() const noexcept { return m_timeouts; }

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
    // Gives a prepared statement the statement time-out, where the engine takes one per statement.
    void applyStatementTimeout(const QSqlQuery &query) const;

    // Called with every failed statement. When the failure says the connection itself is gone
    // (the server dropped it, the database file went away), the connection is closed, so the next
    // operation connects again through the before-connect step, with freshly read settings.
    void statementFailed(const QSqlError &error);
    static bool isConnectionLost(const QSqlError &error, Engine engine);

    // The ODBC connection string for SQL Server, derived from the launcher's connection string.
    static QString odbcConnectionString(const QString &connectionString, const QString &driver,
                                        const ServerEncryption &encryption = {},
                                        const ConnectionTimeouts &timeouts = {});
    // The connection attributes QODBC sets before it connects.
    static QString odbcConnectOptions(const QString &driver, const ConnectionTimeouts &timeouts);
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
    [[noreturn]] void transactionFailed(const QSqlError &error);

    QString m_name;
    QString m_connectionString;
    EngineOptions m_options;
    ConnectionTimeouts m_timeouts;
    std::function<void()> m_beforeConnect;
    bool m_inTransaction = false;
};

} // namespace corvel
