#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "data/Command.h"
#include "data/DatabaseError.h"
#include "data/Query.h"

#include <QFile>
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
