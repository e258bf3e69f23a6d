#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "data/Command.h"
#include "data/DatabaseError.h"
#include "data/Query.h"

#include <QFile>
#include <QSqlQuery>
#include <QTest>

using namespace corvel;

// A database that goes away between two operations: the failing operation reports the error, and
// the next one connects again with the settings as they are then.
class ReconnectTest : public QObject
{
    Q_OBJECT

private:
    static void spoil(const QString &path)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.write(QByteArray(8192, 'x'));
    }

    static QString publishedVersion(TDataModule1 &dm)
    {
        dm.RemoteVersionQ.close();
        dm.RemoteVersionQ.setParameter(QStringLiteral("App_ID"), QStringLiteral("CorvelMap"));
        dm.RemoteVersionQ.open();
        return dm.RemoteVersionQ.text(QStringLiteral("App_Version"));
    }

    // Puts a copy of the database, publishing `version` for CorvelMap, under the name of the
    // database in use, as an administrator restoring a backup would.
    static void replaceDatabase(const QString &path, const QString &version)
    {
        const QString copy = path + QStringLiteral(".new");
        QVERIFY(QFile::copy(path, copy));
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("replacement"));
            db.setDatabaseName(copy);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("Update AppsVersions Set App_Version = '%1' "
                                                      "Where App_ID = 'CorvelMap'")
                                           .arg(version)));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("replacement"));
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(copy, path));
    }

private Q_SLOTS:
    void lostDatabaseIsReopenedWithFreshSettings()
    {
        test::Workstation ws;
        ws.useSeededDatabase();
        QVERIFY(QFile::copy(ws.databasePath(), ws.path(QStringLiteral("second.db"))));
        TDataModule1 dm(ws.launcherPath());
        dm.DataModuleCreate();
        QCOMPARE(publishedVersion(dm), QStringLiteral("1.0.0.0"));

        spoil(ws.databasePath());
        ws.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=second.db\r\n"
                         "[ChoosenStyle]\r\nStyle=Lavender Classico\r\n");
        QVERIFY_THROWS_EXCEPTION(DatabaseError, publishedVersion(dm));
        QVERIFY(!dm.ADOConnection1.isOpen());

        QCOMPARE(publishedVersion(dm), QStringLiteral("1.0.0.0"));
        QVERIFY(dm.ADOConnection1.connectionString().contains(
            QStringLiteral("Initial Catalog=second.db;")));
    }

    // The next operation after the file was replaced works on the new file: a read sees its
    // rows, a write lands in it; a write already inside a transaction fails and ends the
    // connection, as a lost one does.
    void replacedDatabaseFileIsReopened_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<bool>("inTransaction");
        QTest::newRow("read") << false << false;
        QTest::newRow("write") << true << false;
        QTest::newRow("write inside a transaction") << true << true;
    }
    void replacedDatabaseFileIsReopened()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows keeps an open database file from being deleted or replaced");
#endif
        QFETCH(bool, write);
        QFETCH(bool, inTransaction);
        test::Workstation ws;
        ws.useSeededDatabase();
        TDataModule1 dm(ws.launcherPath());
        dm.DataModuleCreate();
        QCOMPARE(publishedVersion(dm), QStringLiteral("1.0.0.0"));
        if (inTransaction)
            dm.ADOConnection1.beginTransaction();
        replaceDatabase(ws.databasePath(), QStringLiteral("2.0.0.0"));

        if (write) {
            Command update(dm.ADOConnection1,
                           QStringLiteral("Update AppsVersions Set App_Version = '3.0.0.0'\r\n"
                                          "Where App_ID = 'CorvelMap'"));
            if (inTransaction) {
                QVERIFY_THROWS_EXCEPTION(DatabaseError, update.execute());
                QVERIFY(!dm.ADOConnection1.isOpen());
                QVERIFY(!dm.ADOConnection1.inTransaction());
            } else {
                update.execute();
            }
        }
        QCOMPARE(publishedVersion(dm),
                 write && !inTransaction ? QStringLiteral("3.0.0.0") : QStringLiteral("2.0.0.0"));
    }

    void deletedDatabaseFileIsReportedNotRead()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows keeps an open database file from being deleted");
#endif
        test::Workstation ws;
        ws.useSeededDatabase();
        TDataModule1 dm(ws.launcherPath());
        dm.DataModuleCreate();
        QCOMPARE(publishedVersion(dm), QStringLiteral("1.0.0.0"));
        const QString saved = ws.path(QStringLiteral("saved.db"));
        QVERIFY(QFile::rename(ws.databasePath(), saved));

        QVERIFY_THROWS_EXCEPTION(DatabaseError, publishedVersion(dm));
        QVERIFY(!dm.ADOConnection1.isOpen());
        QVERIFY(QFile::rename(saved, ws.databasePath()));
        QCOMPARE(publishedVersion(dm), QStringLiteral("1.0.0.0"));
    }

    void statementErrorKeepsTheConnection()
    {
        test::Workstation ws;
        ws.useSeededDatabase();
        TDataModule1 dm(ws.launcherPath());
        dm.DataModuleCreate();
        Query broken(dm.ADOConnection1, QStringLiteral("Select Nothing From Nowhere"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, broken.open());
        QVERIFY(dm.ADOConnection1.isOpen());

        Command duplicate(dm.ADOConnection1,
                          QStringLiteral("Insert Into AppsVersions (App_ID, App_Version)\r\n"
                                         "Values ('CorvelMap', '2.0.0.0')"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, duplicate.execute());
        QVERIFY(dm.ADOConnection1.isOpen());
    }
};

CORVEL_TEST(ReconnectTest)
#include "ReconnectTest.moc"
