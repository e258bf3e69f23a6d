#include "FakeTdsServer.h"
#include "OdbcDrivers.h"
#include "SilentListener.h"
#include "TestRegistry.h"
#include "data/Command.h"
#include "data/Connection.h"
#include "data/ConnectionString.h"
#include "data/DatabaseError.h"
#include "data/Query.h"

#include <QElapsedTimer>
#include <QTest>

using namespace corvel;
using corvel::test::FakeTdsServer;
using corvel::test::SilentListener;

namespace {

// Well above the injected second, well below a wait for ever.
constexpr qint64 kBoundMs = 10000;
const QString kUpdate = QStringLiteral("Update Users Set Style = Style");

void pointAt(Connection &connection, const QString &source, const ConnectionTimeouts &timeouts)
{
    EngineOptions options;
    options.odbcDriver = QStringLiteral("FreeTDS");
    connection.setEngineOptions(options);
    connection.setTimeouts(timeouts);
    connection.setConnectionString(
        connectionstring::build(QStringLiteral("corvel_app"), QStringLiteral("CorvelHR"), source,
                                QStringLiteral("1.0.0.0"), QStringLiteral("PC-17")));
}

QString local(quint16 port)
{
    return QStringLiteral("127.0.0.1,%1").arg(port);
}

// The error's text and how long the action took to fail; empty text when it did not.
struct Failure
{
    QString message;
    qint64 elapsedMs = 0;
};

Failure failureOf(const std::function<void()> &action)
{
    QElapsedTimer clock;
    clock.start();
    try {
        action();
    } catch (const DatabaseError &error) {
        return {error.message(), clock.elapsed()};
    }
    return {QString(), clock.elapsed()};
}

} // namespace

// FreeTDS against a server that stops answering, the way it does in the field: with nothing set
// it waits for ever.
class ServerTimeoutTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (!corvel::test::odbcDriverRegistered(QStringLiteral("FreeTDS")))
            QSKIP("FreeTDS is not registered with unixODBC");
    }

    void silentServerFailsTheConnectionAfterTheLoginTimeout()
    {
        SilentListener server;
        QVERIFY2(server.isListening(), qPrintable(server.error()));
        Connection connection;
        pointAt(connection, local(server.port()), {1, 30});

        const Failure failure = failureOf([&] { connection.open(); });

        QVERIFY2(failure.message.contains(QStringLiteral("Timeout expired")),
                 qPrintable(failure.message));
        QVERIFY2(failure.elapsedMs < kBoundMs, qPrintable(QString::number(failure.elapsedMs)));
        QVERIFY(!connection.isOpen());
        QCOMPARE(server.connections(), 1);
    }

    void sourceWithoutAPortReachesTheServerOnPort1433()
    {
        SilentListener server(1433);
        if (!server.isListening())
            QSKIP(qPrintable(QStringLiteral("127.0.0.1:1433 stayed in use: ") + server.error()));
        Connection connection;
        pointAt(connection, QStringLiteral("127.0.0.1"), {1, 30});

        const Failure failure = failureOf([&] { connection.open(); });

        QVERIFY2(failure.message.contains(QStringLiteral("Timeout expired")),
                 qPrintable(failure.message));
        QCOMPARE(server.connections(), 1);
    }

    void statementTheServerDoesNotAnswerIsCancelledAfterTheStatementTimeout()
    {
        FakeTdsServer server("WAITFOR");
        QVERIFY(server.isListening());
        Connection connection;
        pointAt(connection, local(server.port()), {5, 1});
        Query slow(connection, QStringLiteral("WAITFOR DELAY '00:10:00'"));

        const Failure failure = failureOf([&] { slow.open(); });

        QVERIFY2(failure.message.contains(QStringLiteral("Timeout expired")),
                 qPrintable(failure.message));
        QVERIFY2(failure.elapsedMs < kBoundMs, qPrintable(QString::number(failure.elapsedMs)));
        QCOMPARE(server.stalledRequests(), 1);
        // The server took the cancel, so the same link carries on.
        QCOMPARE(server.cancels(), 1);
        QVERIFY(connection.isOpen());
        Command(connection, kUpdate).execute();
    }

    // FreeTDS gives up the link itself when a transaction request times out.
    void commitTheServerDoesNotAnswerFailsAfterTheStatementTimeoutAndTheNextStatementReconnects()
    {
        FakeTdsServer server("COMMIT");
        QVERIFY(server.isListening());
        Connection connection;
        pointAt(connection, local(server.port()), {5, 1});
        int connects = 0;
        connection.setBeforeConnect([&] { ++connects; });
        connection.open();
        connection.beginTransaction();
        Command(connection, kUpdate).execute();

        const Failure failure = failureOf([&] { connection.commit(); });

        QVERIFY2(failure.message.contains(QStringLiteral("Timeout expired")),
                 qPrintable(failure.message));
        QVERIFY2(failure.elapsedMs < kBoundMs, qPrintable(QString::number(failure.elapsedMs)));
        QCOMPARE(server.stalledRequests(), 1);
        QVERIFY(connection.inTransaction());
        QVERIFY(!failureOf([&] { connection.rollback(); }).message.isEmpty());
        QVERIFY(!connection.isOpen());
        Command(connection, kUpdate).execute();
        QCOMPARE(connects, 2);
    }
};

CORVEL_TEST(ServerTimeoutTest)
#include "ServerTimeoutTest_posix.moc"
