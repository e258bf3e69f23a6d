#include "DataFixtures.h"
#include "TestRegistry.h"
#include "Workstation.h"
#include "data/Command.h"
#include "data/DatabaseError.h"
#include "data/Query.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

using namespace corvel;
using corvel::test::launcherString;
using corvel::test::ScratchDatabase;
using corvel::test::Workstation;

namespace {

EngineOptions sqliteIn(const QString &folder)
{
    EngineOptions options;
    options.engine = Engine::SQLite;
    options.baseFolder = folder;
    return options;
}

QString messageOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const DatabaseError &error) {
        return error.message();
    }
    return QString();
}

} // namespace

class ConnectionTest : public QObject
{
    Q_OBJECT

private slots:
    void missingDatabaseFileIsReportedAndNotCreated()
    {
        QTemporaryDir dir;
        Connection connection;
        connection.setEngineOptions(sqliteIn(dir.path()));
        connection.setConnectionString(launcherString(QStringLiteral("corvel.db")));
        const QString expected =
            QDir::toNativeSeparators(dir.filePath(QStringLiteral("corvel.db")));

        QCOMPARE(messageOf([&] { connection.open(); }),
                 QStringLiteral("The database file %1 does not exist").arg(expected));
        QVERIFY(!connection.isOpen());
        QVERIFY(!QFileInfo::exists(expected));
    }

    void emptyCatalogDoesNotOpenTheFolder()
    {
        QTemporaryDir dir;
        Connection connection;
        connection.setEngineOptions(sqliteIn(dir.path()));
        connection.setConnectionString(launcherString(QString()));
        QVERIFY(
            messageOf([&] { connection.open(); }).startsWith(QStringLiteral("The database file")));
        QVERIFY(!connection.isOpen());
    }

    void catalogMayBeAnAbsolutePath()
    {
        ScratchDatabase scratch;
        Connection connection;
        connection.setEngineOptions(sqliteIn(QStringLiteral("/nonexistent")));
        connection.setConnectionString(launcherString(scratch.path()));
        connection.open();
        QVERIFY(connection.isOpen());
    }

    void seededDatabaseRunsTheLaunchersFixedStatements()
    {
        Workstation ws;
        ws.useSeededDatabase();
        Connection connection;
        connection.setEngineOptions(sqliteIn(ws.folder()));
        connection.setConnectionString(launcherString(QStringLiteral("corvel.db")));

        Query version(connection, QStringLiteral("Select [App_Version]\r\nFrom [AppsVersions]\r\n"
                                                 "Where [App_ID] = :App_ID"));
        version.setParameter(QStringLiteral("App_ID"), QStringLiteral("CorvelAttendance"));
        version.open();
        QCOMPARE(version.text(QStringLiteral("App_Version")), QStringLiteral("1.1.0.0"));

        Query modules(connection, QStringLiteral("Select Distinct(Module) As Module\r\n"
                                                 "From Roles\r\nOrder By Module"));
        modules.open();
        QStringList names;
        for (modules.first(); !modules.eof(); modules.next())
            names << modules.text(QStringLiteral("Module"));
        QCOMPARE(names, (QStringList{"Corvel Launcher", "CorvelAttendance", "CorvelEmployee",
                                     "CorvelPayroll"}));

        Query active(connection, QStringLiteral("Select UserName, User_FullName, User_Department "
                                                "\r\nFrom Users\r\nWhere isActive = 1\r\n"
                                                "Order By UserName"));
        active.open();
        QCOMPARE(active.rowCount(), 2);
    }

    void textComparesWithoutRegardToCase()
    {
        Workstation ws;
        ws.useSeededDatabase();
        Connection connection;
        connection.setEngineOptions(sqliteIn(ws.folder()));
        connection.setConnectionString(launcherString(QStringLiteral("corvel.db")));
        Query user(connection, QStringLiteral("Select * from Users\r\nWhere UserName = :UserName"));
        user.setParameter(QStringLiteral("UserName"), QStringLiteral("ADMIN"));
        user.open();
        QCOMPARE(user.text(QStringLiteral("UserName")), QStringLiteral("admin"));
    }

    void getDateGivesTheLocalTimeAsStoredText()
    {
        ScratchDatabase scratch;
        scratch.exec(QStringLiteral("Create Table T (Stamp datetime)"));
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
        scratch.exec(QStringLiteral("Insert Into T (Stamp) Values (GetDate())"));
        const QDateTime after = QDateTime::currentDateTime().addMSecs(1);

        Query query(scratch.connection, QStringLiteral("Select Stamp, getdate() As Now From T"));
        query.open();
        const QString stored = query.text(QStringLiteral("Stamp"));
        QVERIFY2(QDateTime::fromString(stored, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).isValid(),
                 qPrintable(stored));
        const QDateTime stamp = query.dateTime(QStringLiteral("Stamp"));
        QVERIFY(stamp >= before && stamp <= after);
        QVERIFY(query.dateTime(QStringLiteral("Now")).isValid());
    }

    void beforeConnectRunsFirstOnEveryOpenAttempt()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("corvel.db"));
        Connection connection;
        connection.setEngineOptions(sqliteIn(dir.path()));
        int runs = 0;
        connection.setBeforeConnect([&] {
            ++runs;
            connection.setConnectionString(launcherString(QStringLiteral("corvel.db")));
        });

        QVERIFY(!messageOf([&] { connection.open(); }).isEmpty());
        QCOMPARE(runs, 1);
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        connection.open();
        QCOMPARE(runs, 2);
        QVERIFY(connection.isOpen());

        // Open stays open: no second before-connect while connected.
        connection.open();
        connection.ensureOpen();
        QCOMPARE(runs, 2);
    }

    void beforeConnectFailureStopsTheAttempt()
    {
        ScratchDatabase scratch;
        scratch.connection.setBeforeConnect([] { throw std::runtime_error("no version"); });
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, scratch.connection.open());
        QVERIFY(!scratch.connection.isOpen());
        Query query(scratch.connection, QStringLiteral("Select 1"));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, query.open());
        QVERIFY(!scratch.connection.isOpen());
    }

    void queryOnClosedConnectionOpensItThroughBeforeConnect()
    {
        ScratchDatabase scratch;
        int runs = 0;
        scratch.connection.setBeforeConnect([&] { ++runs; });
        Query query(scratch.connection, QStringLiteral("Select 1 As One"));
        query.open();
        QCOMPARE(runs, 1);
        QCOMPARE(query.int64(QStringLiteral("One")), 1);

        scratch.connection.close();
        Command command(scratch.connection, QStringLiteral("Create Table T (A int)"));
        command.execute();
        QCOMPARE(runs, 2);
        QVERIFY(scratch.connection.isOpen());
    }

    void beginOnClosedConnectionFailsWithoutOpening()
    {
        ScratchDatabase scratch;
        int runs = 0;
        scratch.connection.setBeforeConnect([&] { ++runs; });
        QVERIFY(!messageOf([&] { scratch.connection.beginTransaction(); }).isEmpty());
        QVERIFY(!scratch.connection.isOpen());
        QVERIFY(!scratch.connection.inTransaction());
        QCOMPARE(runs, 0);
    }

    void transactionFlagFollowsBeginCommitAndRollback()
    {
        ScratchDatabase scratch;
        scratch.exec(QStringLiteral("Create Table T (A int)"));
        Connection &connection = scratch.connection;
        connection.beginTransaction();
        QVERIFY(connection.inTransaction());
        QVERIFY(!messageOf([&] { connection.beginTransaction(); }).isEmpty());
        QVERIFY(connection.inTransaction());
        connection.commit();
        QVERIFY(!connection.inTransaction());
        connection.beginTransaction();
        connection.rollback();
        QVERIFY(!connection.inTransaction());
    }

    void failedCommandRolledBackLeavesNothingBehind()
    {
        ScratchDatabase scratch;
        scratch.exec(QStringLiteral("Create Table T (A int Not Null Unique)"));
        scratch.exec(QStringLiteral("Insert Into T (A) Values (1)"));
        Connection &connection = scratch.connection;

        connection.beginTransaction();
        Command insert(connection, QStringLiteral("Insert Into T (A) Values (:A)"));
        insert.setParameter(QStringLiteral("A"), 2);
        insert.execute();
        insert.setParameter(QStringLiteral("A"), 1);
        const QString message = messageOf([&] { insert.execute(); });
        QVERIFY2(message.contains(QStringLiteral("UNIQUE")), qPrintable(message));
        QVERIFY(connection.inTransaction());
        connection.rollback();

        Query count(connection, QStringLiteral("Select Count(*) As N From T"));
        count.open();
        QCOMPARE(count.int64(QStringLiteral("N")), 1);
        // The connection is usable for the next transaction.
        connection.beginTransaction();
        insert.setParameter(QStringLiteral("A"), 3);
        insert.execute();
        connection.commit();
        count.open();
        QCOMPARE(count.int64(QStringLiteral("N")), 2);
    }

    void refusedCommitKeepsTheTransactionToRollBack()
    {
        ScratchDatabase scratch;
        scratch.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
        scratch.exec(QStringLiteral("Create Table P (Id int Primary Key)"));
        scratch.exec(QStringLiteral("Create Table C (P int References P (Id) "
                                    "Deferrable Initially Deferred)"));
        Connection &connection = scratch.connection;

        connection.beginTransaction();
        scratch.exec(QStringLiteral("Insert Into C (P) Values (7)"));
        QVERIFY(!messageOf([&] { connection.commit(); }).isEmpty());
        QVERIFY(connection.inTransaction());
        connection.rollback();
        QVERIFY(!connection.inTransaction());

        // Nothing was left behind, and later statements commit on their own again.
        scratch.exec(QStringLiteral("Insert Into P (Id) Values (1)"));
        Connection other;
        other.setEngineOptions(sqliteIn(QString()));
        other.setConnectionString(launcherString(scratch.path()));
        Query rows(other, QStringLiteral("Select (Select Count(*) From C) As C, "
                                         "(Select Count(*) From P) As P"));
        rows.open();
        QCOMPARE(rows.int64(QStringLiteral("C")), 0);
        QCOMPARE(rows.int64(QStringLiteral("P")), 1);
    }

    void errorsCarryTheProvidersText()
    {
        ScratchDatabase scratch;
        Query query(scratch.connection, QStringLiteral("Select * From Missing"));
        QCOMPARE(messageOf([&] { query.open(); }), QStringLiteral("no such table: Missing"));
        QVERIFY(!query.isOpen());
    }

    void sqlServerEngineReportsTheDriversMessage()
    {
        Connection connection;
        EngineOptions options;
        options.odbcDriver = QStringLiteral("No Such Driver");
        connection.setEngineOptions(options);
        connection.setConnectionString(launcherString(QStringLiteral("CorvelHR")));
        const QString message = messageOf([&] { connection.open(); });
        QVERIFY2(!message.isEmpty(), "a failed connection must say why");
        QVERIFY(!connection.isOpen());
    }
};

CORVEL_TEST(ConnectionTest)
#include "ConnectionTest.moc"
