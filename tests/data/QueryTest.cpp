#include "data/Query.h"
#include "DataFixtures.h"
#include "RecordingWaits.h"
#include "TestRegistry.h"
#include "data/DatabaseError.h"
#include "data/Values.h"

#include <QTest>

using namespace corvel;
using corvel::test::ScratchDatabase;

class QueryTest : public QObject
{
    Q_OBJECT

private:
    ScratchDatabase *m_scratch = nullptr;

    Connection &connection() { return m_scratch->connection; }

private slots:
    void init()
    {
        m_scratch = new ScratchDatabase;
        m_scratch->exec(QStringLiteral("Create Table Users (UserName nvarchar(50) Collate NoCase, "
                                       "isActive bit, Created_Date datetime, Rec_ID integer, "
                                       "Logo blob)"));
        m_scratch->exec(QStringLiteral(
            "Insert Into Users Values ('admin', 1, '2024-02-29 13:45:10.250', 5000000000, "
            "X'00FF00'),"
            "('clerk', 0, Null, Null, Null), ('former', Null, '2023-01-02', 2, X'')"));
    }
    void cleanup()
    {
        delete m_scratch;
        m_scratch = nullptr;
    }

    void openFetchesEverythingWithTheFirstRowCurrent()
    {
        Query query(connection(), QStringLiteral("Select * From Users Order By UserName"));
        QVERIFY(!query.isOpen());
        query.open();
        QVERIFY(query.isOpen());
        QCOMPARE(query.rowCount(), 3);
        QCOMPARE(query.currentRow(), 0);
        QCOMPARE(query.columns(),
                 (QStringList{"UserName", "isActive", "Created_Date", "Rec_ID", "Logo"}));

        QStringList walked;
        for (query.first(); !query.eof(); query.next())
            walked << query.text(QStringLiteral("UserName"));
        QCOMPARE(walked, (QStringList{"admin", "clerk", "former"}));
        // Past the end the last row is still the one read; next() stays at the end.
        query.next();
        QVERIFY(query.eof());
        QCOMPARE(query.text(QStringLiteral("username")), QStringLiteral("former"));
        query.first();
        QCOMPARE(query.text(QStringLiteral("UserName")), QStringLiteral("admin"));
    }

    void emptyResultIsEmptyAndAtEnd()
    {
        Query query(connection(), QStringLiteral("Select * From Users Where UserName = :UserName"));
        query.setParameter(QStringLiteral("UserName"), QStringLiteral("nobody"));
        query.open();
        QVERIFY(query.isEmpty());
        QVERIFY(query.eof());
        QCOMPARE(query.text(QStringLiteral("UserName")), QString());
        QVERIFY(!query.boolean(QStringLiteral("isActive")));
    }

    void reopeningRebindsAndRefreshes()
    {
        Query query(connection(), QStringLiteral("Select * From Users Where UserName = :UserName"));
        query.setParameter(QStringLiteral("UserName"), QStringLiteral("admin"));
        query.open();
        m_scratch->exec(QStringLiteral("Update Users Set isActive = 0 Where UserName = 'admin'"));
        QVERIFY(query.boolean(QStringLiteral("isActive")));

        query.setParameter(QStringLiteral(":UserName"), QStringLiteral("clerk"));
        m_scratch->exec(QStringLiteral("Update Users Set isActive = 1 Where UserName = 'clerk'"));
        query.close();
        QVERIFY(!query.isOpen());
        QVERIFY(query.isEmpty());
        query.open();
        QCOMPARE(query.rowCount(), 1);
        QCOMPARE(query.text(QStringLiteral("UserName")), QStringLiteral("clerk"));
        QVERIFY(query.boolean(QStringLiteral("isActive")));
    }

    void locateMovesOnlyWhenFound()
    {
        Query query(connection(), QStringLiteral("Select * From Users Order By UserName"));
        query.open();
        QVERIFY(query.locate(QStringLiteral("UserName"), QStringLiteral("clerk")));
        QCOMPARE(query.currentRow(), 1);
        QVERIFY(!query.locate(QStringLiteral("UserName"), QStringLiteral("cler")));
        QVERIFY(!query.locate(QStringLiteral("UserName"), QStringLiteral("clerk ")));
        QCOMPARE(query.currentRow(), 1);
        QVERIFY(query.locate(QStringLiteral("Rec_ID"), qint64(2)));
        QCOMPARE(query.currentRow(), 2);
        QVERIFY(query.locate(QStringLiteral("Rec_ID"), 5000000000LL));
        QCOMPARE(query.currentRow(), 0);
        QVERIFY(query.locate(QStringLiteral("UserName"), QStringLiteral("FORMER")));
        QCOMPARE(query.currentRow(), 2);
    }

    void columnsReadByKind()
    {
        Query query(connection(), QStringLiteral("Select * From Users Order By UserName"));
        query.open();
        QCOMPARE(query.boolean(QStringLiteral("isActive")), true);
        QCOMPARE(query.dateTime(QStringLiteral("Created_Date")),
                 QDateTime(QDate(2024, 2, 29), QTime(13, 45, 10, 250)));
        QCOMPARE(query.int64(QStringLiteral("Rec_ID")), 5000000000LL);
        QCOMPARE(query.bytes(QStringLiteral("Logo")), QByteArray("\0\xff\0", 3));

        query.next();
        QCOMPARE(query.boolean(QStringLiteral("isActive")), false);
        QVERIFY(!query.dateTime(QStringLiteral("Created_Date")).isValid());
        QCOMPARE(query.int64(QStringLiteral("Rec_ID")), 0);
        QCOMPARE(query.bytes(QStringLiteral("Logo")), QByteArray());
        QCOMPARE(query.text(QStringLiteral("Logo")), QString());

        query.next();
        QVERIFY(!query.boolean(QStringLiteral("isActive")));
        QCOMPARE(query.dateTime(QStringLiteral("Created_Date")), QDate(2023, 1, 2).startOfDay());
    }

    void closedQueryAndUnknownColumnsFailLoudly()
    {
        Query query(connection(), QStringLiteral("Select * From Users"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, query.first());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, query.next());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, query.text(QStringLiteral("UserName")));
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 query.locate(QStringLiteral("UserName"), QStringLiteral("x")));
        QVERIFY(query.eof());
        query.open();
        try {
            query.text(QStringLiteral("Nope"));
            QFAIL("an unknown column must fail");
        } catch (const DatabaseError &error) {
            QCOMPARE(error.message(), QStringLiteral("Field 'Nope' not found"));
        }
    }

    void failedReopenLeavesTheQueryClosed()
    {
        Query query(connection(), QStringLiteral("Select * From Users Where UserName = :UserName"));
        query.setParameter(QStringLiteral("UserName"), QStringLiteral("admin"));
        query.open();
        m_scratch->exec(QStringLiteral("Drop Table Users"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, query.open());
        QVERIFY(!query.isOpen());
        QCOMPARE(query.rowCount(), 0);
    }

    // The windows show a busy cursor while the database is busy, failures included.
    void everyRoundTripIsAWaitThatEndsEvenWhenItFails()
    {
        test::RecordingWaits waits;
        Query query(connection(), QStringLiteral("Select * From Users"));
        query.open();
        QCOMPARE_GE(waits.begun, 1);
        const int afterQuery = waits.begun;
        m_scratch->exec(QStringLiteral("Delete From Users Where UserName = 'former'"));
        QCOMPARE_GT(waits.begun, afterQuery);
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 m_scratch->exec(QStringLiteral("Select * From Nowhere")));
        QCOMPARE(waits.depth, 0);
    }

    void valuesConvertAcrossEngines_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("boolean");
        QTest::addColumn<QDateTime>("dateTime");
        const QDateTime noon(QDate(2025, 6, 1), QTime(12, 0));
        const QDateTime none;
        QTest::newRow("null text") << QVariant(QMetaType::fromType<QString>()) << false << none;
        QTest::newRow("native bool") << QVariant(true) << true << none;
        QTest::newRow("int 1") << QVariant(1) << true << none;
        QTest::newRow("int 0") << QVariant(0) << false << none;
        QTest::newRow("text 1") << QVariant(QStringLiteral("1")) << true << none;
        QTest::newRow("text 0") << QVariant(QStringLiteral("0")) << false << none;
        QTest::newRow("text true") << QVariant(QStringLiteral("True")) << true << none;
        QTest::newRow("native date-time") << QVariant(noon) << false << noon;
        QTest::newRow("ISO text") << QVariant(QStringLiteral("2025-06-01T12:00:00")) << false
                                  << noon;
        QTest::newRow("stored text")
            << QVariant(QStringLiteral("2025-06-01 12:00:00.000")) << false << noon;
        QTest::newRow("date only")
            << QVariant(QDate(2025, 6, 1)) << false << QDate(2025, 6, 1).startOfDay();
        QTest::newRow("garbage") << QVariant(QStringLiteral("yesterday")) << false << none;
    }
    void valuesConvertAcrossEngines()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, boolean);
        QFETCH(QDateTime, dateTime);
        QCOMPARE(values::toBoolean(value), boolean);
        QCOMPARE(values::toDateTime(value), dateTime);
    }
};

CORVEL_TEST(QueryTest)
#include "QueryTest.moc"
