#include "DataFixtures.h"
#include "OdbcDrivers.h"
#include "TestRegistry.h"
#include "data/DatabaseError.h"
#include "data/OdbcStatement.h"
#include "data/Query.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlResult>
#include <QTest>

using namespace corvel;
using corvel::test::launcherString;
using corvel::test::ScratchDatabase;

namespace {

const QString kSqliteOdbcDriver = QStringLiteral("SQLite3");

// Another program's write transaction on the file, held while the object lives.
class WriteLock
{
public:
    explicit WriteLock(const QString &path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        m_locked = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"));
    }
    ~WriteLock()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool locked() const { return m_locked; }

private:
    const QString m_name = QStringLiteral("corvel-test-write-lock");
    bool m_locked = false;
};

} // namespace

class ConnectionTimeoutTest : public QObject
{
    Q_OBJECT

private slots:
    void productionWaitsAreFifteenSecondsToConnectAndThirtyForAStatement()
    {
        const ConnectionTimeouts production = Connection().timeouts();
        QCOMPARE(production, (ConnectionTimeouts{15, 30}));
        QCOMPARE(Connection::odbcConnectOptions(QStringLiteral("FreeTDS"), production),
                 QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=15;SQL_ATTR_CONNECTION_TIMEOUT=30"));
        QCOMPARE(Connection::odbcConnectOptions(QStringLiteral("ODBC Driver 18 for SQL Server"),
                                                production),
                 QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=15;SQL_ATTR_CONNECTION_TIMEOUT=30;"
                                "SQL_ATTR_PACKET_SIZE=4096"));

        ScratchDatabase scratch;
        Query wait(scratch.connection, QStringLiteral("PRAGMA busy_timeout"));
        wait.open();
        QCOMPARE(wait.int64(wait.columns().value(0)), 30000);
    }

    void statementOnALockedDatabaseGivesUpAfterTheStatementTimeout_data()
    {
        QTest::addColumn<bool>("odbc");
        QTest::newRow("SQLite engine") << false;
        QTest::newRow("SQLite ODBC driver") << true;
    }
    void statementOnALockedDatabaseGivesUpAfterTheStatementTimeout()
    {
        QFETCH(bool, odbc);
        if (odbc && !corvel::test::odbcDriverRegistered(kSqliteOdbcDriver))
            QSKIP("the SQLite ODBC driver is not registered");
        ScratchDatabase scratch;
        scratch.exec(QStringLiteral("Create Table T (A int)"));
        scratch.connection.close();
        Connection connection;
        EngineOptions options;
        options.engine = odbc ? Engine::SqlServer : Engine::SQLite;
        options.odbcDriver = kSqliteOdbcDriver;
        connection.setEngineOptions(options);
        connection.setTimeouts({1, 1});
        connection.setConnectionString(launcherString(scratch.path()));
        connection.open();
        Query rows(connection, QStringLiteral("Select * From T"));

        {
            WriteLock lock(scratch.path());
            QVERIFY(lock.locked());
            QElapsedTimer clock;
            clock.start();
            QVERIFY_THROWS_EXCEPTION(DatabaseError, rows.open());
            QVERIFY2(clock.elapsed() < 4500, qPrintable(QString::number(clock.elapsed())));
        }
        // Waiting too long is no lost connection: the next statement runs on it.
        QVERIFY(connection.isOpen());
        rows.open();
        QVERIFY(rows.isEmpty());
    }

    void odbcStatementHandlesTakeTheQueryTimeout()
    {
        if (!corvel::test::odbcDriverRegistered(kSqliteOdbcDriver))
            QSKIP("the SQLite ODBC driver is not registered");
        ScratchDatabase scratch;
        scratch.exec(QStringLiteral("Create Table T (A int)"));
        Connection connection;
        EngineOptions options;
        options.odbcDriver = kSqliteOdbcDriver;
        connection.setEngineOptions(options);
        connection.setConnectionString(launcherString(scratch.path()));
        connection.open();

        QSqlQuery odbc(connection.database());
        QVERIFY(odbc.prepare(QStringLiteral("Select * From T")));
        QVERIFY(odbc::setQueryTimeout(odbc.result()->handle(), 30));
        QSqlQuery sqlite(scratch.connection.database());
        QVERIFY(sqlite.prepare(QStringLiteral("Select * From T")));
        QVERIFY(!odbc::setQueryTimeout(sqlite.result()->handle(), 30));
    }
};

CORVEL_TEST(ConnectionTimeoutTest)
#include "ConnectionTimeoutTest.moc"
