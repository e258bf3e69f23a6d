#include "data/Connection.h"

#include "data/ConnectionString.h"
#include "data/DatabaseError.h"
#include "data/OdbcStatement.h"
#include "data/Statement.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <sqlite3.h>

namespace corvel {

namespace {

const QString kMicrosoftDriver = QStringLiteral("ODBC Driver 18 for SQL Server");
const QString kFreeTdsDriver = QStringLiteral("FreeTDS");
const QString kNotOpen = QStringLiteral("The database connection is not open.");

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("corvel-connection-%1").arg(++counter);
}

// ODBC brace quoting: the value may then hold ";" and "=", and "}" is written twice.
QString braced(const QString &value)
{
    QString escaped = value;
    escaped.replace(u'}', QStringLiteral("}}"));
    return u'{' + escaped + u'}';
}

// Braced where the value could end early, open a quote of its own or lose its blanks, so that a
// setting never swallows or adds attributes of the driver's string.
QString odbcValue(const QString &value)
{
    const bool special = std::any_of(value.begin(), value.end(), [](QChar c) {
        return c == u';' || c == u'{' || c == u'}' || c == u'=';
    });
    const bool blankEnds = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    return special || blankEnds ? braced(value) : value;
}

enum class OdbcDriver
{
    FreeTds,
    Microsoft,      // ODBC Driver 17 and 18 for SQL Server
    OtherSqlServer, // Windows' own "SQL Server" and the Native Clients
    Sqlite,
    Other
};

OdbcDriver kindOf(const QString &driver)
{
    const auto has = [&](const char *text) {
        return driver.contains(QLatin1String(text), Qt::CaseInsensitive);
    };
    if (has("FreeTDS") || has("libtdsodbc"))
        return OdbcDriver::FreeTds;
    if (has("ODBC Driver") && has("SQL Server"))
        return OdbcDriver::Microsoft;
    if (has("SQL Server") || has("SQL Native Client"))
        return OdbcDriver::OtherSqlServer;
    if (has("SQLite"))
        return OdbcDriver::Sqlite;
    return OdbcDriver::Other;
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

// The keywords Microsoft's SQL Server drivers share, for the settings that are given.
QString microsoftEncryption(const ServerEncryption &encryption)
{
    QString attributes;
    if (encryption.encrypt)
        attributes += QStringLiteral("Encrypt=") + yesNo(*encryption.encrypt) + u';';
    if (encryption.trustServerCertificate) {
        attributes += QStringLiteral("TrustServerCertificate=") +
                      yesNo(*encryption.trustServerCertificate) + u';';
    }
    return attributes;
}

QString freeTdsAttributes(const QString &source, const ServerEncryption &encryption,
                          const ConnectionTimeouts &timeouts)
{
    QString attributes;
    // Without a port FreeTDS gives up before opening a socket; "host\instance" asks the
    // server's browser service for the port instead.
    if (!source.contains(u',') && !source.contains(u'\\'))
        attributes += QStringLiteral("Port=1433;");
    // Qt binds text as 8-bit for FreeTDS, so the client character set must be UTF-8. FreeTDS
    // 1.3 takes no certificate setting in the connection string: freetds.conf has them.
    attributes +=
        QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8;Encryption=") +
        (encryption.encrypt.value_or(false) ? QStringLiteral("require") : QStringLiteral("off")) +
        QStringLiteral(";PacketSize=4096;");
    // FreeTDS applies its own time-out to every request, the driver's own queries and the
    // transaction commands included, which the statement attribute does not reach.
    attributes += QStringLiteral("Timeout=%1;").arg(timeouts.statementSeconds);
    return attributes;
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    if (!db.isValid() || db.driver() == nullptr)
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

// SQL Server's GetDate(): the local date and time, as SQLite stores dates (text).
void getDate(sqlite3_context *context, int, sqlite3_value **)
{
    const QByteArray now =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8();
    sqlite3_result_text(context, now.constData(), int(now.size()), SQLITE_TRANSIENT);
}

} // namespace

Connection::Connection() : m_name(nextConnectionName()) {}

Connection::~Connection()
{
    close();
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

void Connection::setBeforeConnect(std::function<void()> step)
{
    m_beforeConnect = std::move(step);
}

void Connection::setConnectionString(const QString &connectionString)
{
    m_connectionString = connectionString;
}

void Connection::setEngineOptions(const EngineOptions &options)
{
    m_options = options;
}

void Connection::setTimeouts(const ConnectionTimeouts &timeouts)
{
    m_timeouts = timeouts;
}

void Connection::open()
{
    if (isOpen())
        return;
    if (m_beforeConnect)
        m_beforeConnect();
    openEngine();
}

void Connection::ensureOpen()
{
    // Reads would go on finding the old rows in a deleted or replaced database file. Inside a
    // transaction its first write fails instead, which ends the connection the same way.
    if (isOpen() && !m_inTransaction && databaseFileMoved())
        close();
    if (!isOpen())
        open();
}

bool Connection::databaseFileMoved() const
{
    sqlite3 *handle = sqliteHandle(database());
    int moved = 0;
    return handle != nullptr &&
           sqlite3_file_control(handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
           moved != 0;
}

bool Connection::isOpen() const
{
    return QSqlDatabase::contains(m_name) && database().isOpen();
}

void Connection::close()
{
    if (QSqlDatabase::contains(m_name))
        database().close();
    m_inTransaction = false;
}

bool Connection::isConnectionLost(const QSqlError &error, Engine engine)
{
    // Qt's SQLite driver calls every failed statement a connection error, so only the result
    // code tells: the file is no longer a database, cannot be read or has gone (SQLITE_IOERR,
    // SQLITE_CORRUPT, SQLITE_CANTOPEN, SQLITE_NOTADB), or was deleted or replaced under the open
    // connection, which then refuses every write (SQLITE_READONLY_DBMOVED).
    if (engine == Engine::SQLite) {
        const int code = error.nativeErrorCode().toInt();
        const int primary = code & 0xff;
        return primary == SQLITE_IOERR || primary == SQLITE_CORRUPT || primary == SQLITE_CANTOPEN ||
               primary == SQLITE_NOTADB || code == SQLITE_READONLY_DBMOVED;
    }
    if (error.type() == QSqlError::ConnectionError)
        return true;
    // ODBC: SQLSTATE class 08 is a connection exception; FreeTDS words a dead link its own way.
    const QString text = error.databaseText() + u' ' + error.driverText();
    static const QStringList lost{QStringLiteral("08S01"),
                                  QStringLiteral("08001"),
                                  QStringLiteral("08003"),
                                  QStringLiteral("08007"),
                                  QStringLiteral("Communication link failure"),
                                  QStringLiteral("Write to the server failed"),
                                  QStringLiteral("Read from the server failed")};
    for (const QString &marker : lost) {
        if (text.contains(marker, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void Connection::statementFailed(const QSqlError &error)
{
    if (isConnectionLost(error, m_options.engine))
        close();
}

void Connection::beginTransaction()
{
    if (!isOpen())
        throw DatabaseError(kNotOpen);
    if (m_inTransaction)
        throw DatabaseError(QStringLiteral("A transaction is already open."));
    QSqlDatabase db = database();
    if (!db.transaction())
        transactionFailed(db.lastError());
    m_inTransaction = true;
}

void Connection::commit()
{
    if (!isOpen())
        throw DatabaseError(kNotOpen);
    QSqlDatabase db = database();
    if (!db.commit()) {
        // A refused commit leaves the transaction open on both engines (unless SQLite already
        // gave it up); say so, so the caller's rollback still runs.
        if (sqlite3 *handle = sqliteHandle(db))
            m_inTransaction = sqlite3_get_autocommit(handle) == 0;
        transactionFailed(db.lastError());
    }
    m_inTransaction = false;
}

void Connection::rollback()
{
    if (!isOpen())
        throw DatabaseError(kNotOpen);
    m_inTransaction = false;
    QSqlDatabase db = database();
    // SQLite ends a transaction by itself after some failures; a second rollback would fail.
    if (sqlite3 *handle = sqliteHandle(db); handle != nullptr && sqlite3_get_autocommit(handle))
        return;
    if (!db.rollback())
        transactionFailed(db.lastError());
}

void Connection::transactionFailed(const QSqlError &error)
{
    // A link that died under the transaction is closed like one a statement found dead, so the
    // next operation connects again instead of failing on it once more.
    statementFailed(error);
    throw statement::errorOf(error);
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

void Connection::applyStatementTimeout(const QSqlQuery &query) const
{
    // A driver without the attribute simply has no time-out; the statement runs all the same.
    if (m_options.engine == Engine::SqlServer && query.result() != nullptr)
        odbc::setQueryTimeout(query.result()->handle(), m_timeouts.statementSeconds);
}

QString Connection::odbcConnectionString(const QString &connectionString, const QString &driver,
                                         const ServerEncryption &encryption,
                                         const ConnectionTimeouts &timeouts)
{
    using connectionstring::attribute;
    QString odbc = QStringLiteral("DRIVER=") + braced(driver) + u';';
    odbc += QStringLiteral("SERVER=") +
            odbcValue(attribute(connectionString, QStringLiteral("Data Source"))) + u';';
    odbc += QStringLiteral("DATABASE=") +
            odbcValue(attribute(connectionString, QStringLiteral("Initial Catalog"))) + u';';
    odbc += QStringLiteral("UID=") +
            braced(attribute(connectionString, QStringLiteral("User ID"))) + u';';
    odbc += QStringLiteral("PWD=") +
            braced(attribute(connectionString, QStringLiteral("Password"))) + u';';
    odbc += QStringLiteral("WSID=") +
            odbcValue(attribute(connectionString, QStringLiteral("Workstation ID"))) + u';';
    odbc += QStringLiteral("APP=Corvel Launcher;");
    switch (kindOf(driver)) {
    case OdbcDriver::FreeTds:
        odbc += freeTdsAttributes(attribute(connectionString, QStringLiteral("Data Source")),
                                  encryption, timeouts);
        break;
    case OdbcDriver::Microsoft:
        // Driver 18 encrypts by default; the packet size is a connection attribute there.
        odbc += microsoftEncryption(
            {encryption.encrypt.value_or(false), encryption.trustServerCertificate});
        break;
    case OdbcDriver::OtherSqlServer:
        odbc += microsoftEncryption(encryption);
        break;
    case OdbcDriver::Sqlite:
        // Its only wait is for a locked file, in milliseconds; it ignores the statement attribute.
        odbc += QStringLiteral("Timeout=%1;").arg(timeouts.statementSeconds * 1000);
        break;
    case OdbcDriver::Other:
        break;
    }
    return odbc;
}

QString Connection::odbcConnectOptions(const QString &driver, const ConnectionTimeouts &timeouts)
{
    // The connection time-out bounds what is neither the login nor a statement: the driver's
    // own requests and the transaction commands.
    QString options = QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%2")
                          .arg(timeouts.loginSeconds)
                          .arg(timeouts.statementSeconds);
    if (kindOf(driver) == OdbcDriver::Microsoft)
        options += QStringLiteral(";SQL_ATTR_PACKET_SIZE=4096");
    return options;
}

QString Connection::defaultSqlServerDriver()
{
#ifdef Q_OS_WIN
    // Every Windows has its own "SQL Server" driver; Microsoft's newer ones are preferred.
    const QSettings drivers(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers"),
        QSettings::NativeFormat);
    for (const QString &driver :
         {kMicrosoftDriver, QStringLiteral("ODBC Driver 17 for SQL Server")})
        if (drivers.contains(driver))
            return driver;
    return QStringLiteral("SQL Server");
#else
    const QString folder = qEnvironmentVariable("ODBCSYSINI", QStringLiteral("/etc"));
    return defaultSqlServerDriver(QDir(folder).filePath(QStringLiteral("odbcinst.ini")));
#endif
}

QString Connection::defaultSqlServerDriver(const QString &odbcinstIni)
{
    const QSettings registry(odbcinstIni, QSettings::IniFormat);
    return registry.childGroups().contains(kMicrosoftDriver, Qt::CaseInsensitive) ? kMicrosoftDriver
                                                                                  : kFreeTdsDriver;
}

void Connection::openEngine()
{
    // The engine may differ from the last attempt: start from a fresh registration each time.
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
    m_inTransaction = false;
    if (m_options.engine == Engine::SQLite)
        openSqlite();
    else
        openSqlServer();
}

void Connection::openSqlServer()
{
    const QString driver =
        m_options.odbcDriver.isEmpty() ? defaultSqlServerDriver() : m_options.odbcDriver;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
    db.setDatabaseName(
        odbcConnectionString(m_connectionString, driver, m_options.encryption, m_timeouts));
    db.setConnectOptions(odbcConnectOptions(driver, m_timeouts));
    if (!db.open())
        throw statement::errorOf(db.lastError());
}

void Connection::openSqlite()
{
    const QString catalog =
        connectionstring::attribute(m_connectionString, QStringLiteral("Initial Catalog"));
    const QString path = QDir::cleanPath(QDir(m_options.baseFolder).absoluteFilePath(catalog));
    // Qt's SQLite driver would create a missing file: an empty database that fails later with
    // "no such table" instead of saying what is wrong.
    if (!QFileInfo(path).isFile()) {
        throw DatabaseError(QStringLiteral("The database file %1 does not exist")
                                .arg(QDir::toNativeSeparators(path)));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(path);
    // A statement waits for another connection's lock as long as for a busy server.
    db.setConnectOptions(
        QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_timeouts.statementSeconds * 1000));
    if (!db.open())
        throw statement::errorOf(db.lastError());
    sqlite3 *handle = sqliteHandle(db);
    // Only the extended code tells a database file that went away from one opened read-only.
    if (handle != nullptr)
        sqlite3_extended_result_codes(handle, 1);
    if (handle == nullptr || sqlite3_create_function(handle, "GetDate", 0, SQLITE_UTF8, nullptr,
                                                     &getDate, nullptr, nullptr) != SQLITE_OK) {
        db.close();
        throw DatabaseError(QStringLiteral("GetDate() cannot be registered with SQLite."));
    }
}

} // namespace corvel
