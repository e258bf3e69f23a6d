#include "DataFixtures.h"
#include "OdbcDrivers.h"
#include "TestRegistry.h"
#include "data/Command.h"
#include "data/Query.h"

#include <QTest>

using namespace corvel;
using corvel::test::launcherString;
using corvel::test::ScratchDatabase;

namespace {

const QString kSqliteOdbcDriver = QStringLiteral("SQLite3");

bool sqliteOdbcAvailable()
{
    return corvel::test::odbcDriverRegistered(kSqliteOdbcDriver);
}

} // namespace

// The SQL Server engine's path (the ODBC string, QODBC, named binding emulated as "?") against
// the SQLite ODBC driver, since no SQL Server is at hand.
class OdbcBindingTest : public QObject
{
    Q_OBJECT

private:
    ScratchDatabase *m_scratch = nullptr;
    Connection *m_odbc = nullptr;

private slots:
    void init()
    {
        if (!sqliteOdbcAvailable())
            QSKIP("the SQLite ODBC driver is not registered");
        m_scratch = new ScratchDatabase;
        m_scratch->exec(QStringLiteral(
            "Create Table Assets (Rec_ID bigint, Name nvarchar(50), isActive bit, Logo blob)"));
        m_scratch->connection.close();
        m_odbc = new Connection;
        EngineOptions options;
        options.odbcDriver = kSqliteOdbcDriver;
        m_odbc->setEngineOptions(options);
        m_odbc->setConnectionString(launcherString(m_scratch->path()));
        m_odbc->open();
    }
    void cleanup()
    {
        delete m_odbc;
        m_odbc = nullptr;
        delete m_scratch;
        m_scratch = nullptr;
    }

    void opensThroughTheOdbcString()
    {
        QCOMPARE(m_odbc->database().driverName(), QStringLiteral("QODBC"));
    }

    void parametersRoundTrip_data()
    {
        QTest::addColumn<qint64>("id");
        QTest::addColumn<QVariant>("name");
        QTest::addColumn<QVariant>("active");
        QTest::addColumn<QByteArray>("logo");
        QTest::newRow("plain") << qint64(1) << QVariant(QStringLiteral("Corvel Demo Trading"))
                               << QVariant(true) << QByteArray("\x89PNG", 4);
        QTest::newRow("non-ASCII") << qint64(2) << QVariant(QStringLiteral("كورفل للتجارة é"))
                                   << QVariant(false) << QByteArray(1, '\0');
        QTest::newRow("null text, above 2^32, zero bytes")
            << (qint64(1) << 33) + 7 << QVariant(QMetaType::fromType<QString>()) << QVariant(true)
            << QByteArray("a\0b\0\0c", 6);
    }
    void parametersRoundTrip()
    {
        QFETCH(qint64, id);
        QFETCH(QVariant, name);
        QFETCH(QVariant, active);
        QFETCH(QByteArray, logo);

        Command insert(*m_odbc, QStringLiteral("Insert Into Assets (Rec_ID, Name, isActive, Logo)"
                                               "\r\nValues (:Rec_ID, :Name, :isActive, :Logo)"));
        insert.setParameter(QStringLiteral("Rec_ID"), id);
        insert.setParameter(QStringLiteral("Name"), name);
        insert.setParameter(QStringLiteral("isActive"), active);
        insert.setParameter(QStringLiteral("Logo"), logo);
        m_odbc->beginTransaction();
        insert.execute();
        m_odbc->commit();

        Query query(*m_odbc, QStringLiteral("Select * From Assets\r\nWhere Rec_ID = :Rec_ID"));
        query.setParameter(QStringLiteral("Rec_ID"), id);
        query.open();
        QCOMPARE(query.rowCount(), 1);
        QCOMPARE(query.int64(QStringLiteral("Rec_ID")), id);
        QCOMPARE(query.text(QStringLiteral("Name")), name.toString());
        QCOMPARE(query.value(QStringLiteral("Name")).isNull(), name.isNull());
        QCOMPARE(query.boolean(QStringLiteral("isActive")), active.toBool());
        QCOMPARE(query.bytes(QStringLiteral("Logo")), logo);
    }

    void rolledBackCommandLeavesNothing()
    {
        Command insert(*m_odbc, QStringLiteral("Insert Into Assets (Rec_ID) Values (:Rec_ID)"));
        insert.setParameter(QStringLiteral("Rec_ID"), 9);
        m_odbc->beginTransaction();
        insert.execute();
        m_odbc->rollback();
        QVERIFY(!m_odbc->inTransaction());
        Query query(*m_odbc, QStringLiteral("Select * From Assets"));
        query.open();
        QVERIFY(query.isEmpty());
    }
};

CORVEL_TEST(OdbcBindingTest)
#include "OdbcBindingTest.moc"
