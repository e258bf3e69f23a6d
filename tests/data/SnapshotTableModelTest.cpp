#include "data/SnapshotTableModel.h"
#include "DataFixtures.h"
#include "TestRegistry.h"
#include "data/Query.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace corvel;
using corvel::test::ScratchDatabase;

class SnapshotTableModelTest : public QObject
{
    Q_OBJECT

private slots:
    void showsTheChosenColumnsAsText()
    {
        ScratchDatabase scratch;
        scratch.exec(QStringLiteral("Create Table Users (UserName text, Created_Date datetime, "
                                    "isActive bit)"));
        scratch.exec(QStringLiteral("Insert Into Users Values ('admin', '2024-02-29 13:45:10.250', "
                                    "1), ('clerk', Null, Null)"));
        Query query(scratch.connection, QStringLiteral("Select * From Users Order By UserName"));
        query.open();
        SnapshotTableModel model(query,
                                 {{QStringLiteral("UserName"), QStringLiteral("User ID")},
                                  {QStringLiteral("Created_Date"), QStringLiteral("Created"),
                                   Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("dd/MM/yyyy")},
                                  {QStringLiteral("Missing"), QStringLiteral("Gone")}});
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);

        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("User ID"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Created"));
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("admin"));
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("29/02/2024"));
        QCOMPARE(model.index(1, 1).data().toString(), QString());
        QCOMPARE(model.index(0, 2).data().toString(), QString());
        QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(model.index(0, 0).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
    }

    void keepsItsRowsUntilReloaded()
    {
        ScratchDatabase scratch;
        scratch.exec(QStringLiteral("Create Table Roles (RoleName text)"));
        scratch.exec(QStringLiteral("Insert Into Roles Values ('Admins'), ('Login_CorvelMap')"));
        Query query(scratch.connection, QStringLiteral("Select * From Roles Order By RoleName"));
        query.open();
        SnapshotTableModel model(query, {{QStringLiteral("RoleName"), QStringLiteral("Role ID")}});
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

        query.close();
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("Login_CorvelMap"));

        scratch.exec(QStringLiteral("Delete From Roles Where RoleName = 'Admins'"));
        query.open();
        model.reload();
        QCOMPARE(resets.size(), 1);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Login_CorvelMap"));

        query.close();
        model.reload();
        QCOMPARE(model.rowCount(), 0);
    }
};

CORVEL_TEST(SnapshotTableModelTest)
#include "SnapshotTableModelTest.moc"
