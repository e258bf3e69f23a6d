#include "AdminSession.h"
#include "TestRegistry.h"

#include "admin/UsersDetailsForm.h"
#include "admin/UsersMgtForm.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace corvel;
using namespace corvel::test;

namespace {

const QString kCreated = QStringLiteral("New user created successfully, The Password is Pq5710");
const QString kModified = QStringLiteral("The User Was Modified successfully!");
const QString kReset = QStringLiteral("User Password has been changed to Pq5710");
const QString kFailedPrefix = QStringLiteral("Somthing went wrong: \n\r");
const QString kUserIdEmpty = QStringLiteral("User ID is Empty !");
const QString kUserIdSpaces = QStringLiteral("User ID Should Not Have Spaces !!");

template <typename Widget> Widget *child(QWidget &parent, const char *name)
{
    auto *widget = parent.findChild<Widget *>(QLatin1String(name));
    if (widget == nullptr)
        qFatal("no control %s", name);
    return widget;
}

QString text(QWidget &parent, const char *name)
{
    return child<QLineEdit>(parent, name)->text();
}

void click(QWidget &parent, const char *name)
{
    QTest::mouseClick(child<QPushButton>(parent, name), Qt::LeftButton);
}

void fillDetails(TUsersDetailsForm &details, const QString &id, const QString &fullName,
                 const QString &department)
{
    child<QLineEdit>(details, "edt_UserName")->setText(id);
    child<QLineEdit>(details, "edt_UserFullName")->setText(fullName);
    child<QLineEdit>(details, "edt_UserDepartment")->setText(department);
}

// Selects the user's row in the list, as a click would.
void selectRow(TUsersMgtForm &form, const QString &userName)
{
    auto *grid = child<QTableView>(form, "DBGrid1");
    const QModelIndexList found = grid->model()->match(grid->model()->index(0, 0), Qt::DisplayRole,
                                                       userName, 1, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    grid->setCurrentIndex(found.first());
}

} // namespace

class UsersManagementTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<AdminSession> session;

    std::unique_ptr<TUsersMgtForm> openForm()
    {
        auto form = std::make_unique<TUsersMgtForm>(session->dm(), session->services());
        form->show();
        return form;
    }
    int userCount()
    {
        return session->scalar(QStringLiteral("Select Count(*) From Users")).toInt();
    }

private slots:
    void init() { session = std::make_unique<AdminSession>(); }
    void cleanup() { session.reset(); }

    void userIdIsValidatedBeforeTheDialogCloses_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("plain") << QStringLiteral("newbie") << QString();
        QTest::newRow("blanks around") << QStringLiteral("  newbie  ") << QString();
        QTest::newRow("tab inside") << QStringLiteral("new\tbie") << QString();
        QTest::newRow("control characters around")
            << QStringLiteral("\t\x01newbie\r\n") << QString();
        QTest::newRow("empty") << QString() << kUserIdEmpty;
        QTest::newRow("only blanks") << QStringLiteral("    ") << kUserIdEmpty;
        QTest::newRow("only control characters") << QStringLiteral("\t\x1f\n") << kUserIdEmpty;
        QTest::newRow("blank inside") << QStringLiteral("new bie") << kUserIdSpaces;
        QTest::newRow("blank inside, blanks around")
            << QStringLiteral(" new bie ") << kUserIdSpaces;
    }
    void userIdIsValidatedBeforeTheDialogCloses()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        TUsersDetailsForm details(session->services());
        details.prepareCreate(TUsersMgtForm::kDefaultPassword);
        details.show();
        child<QLineEdit>(details, "edt_UserName")->setText(typed);
        click(details, "btn_OK");
        if (message.isEmpty()) {
            QVERIFY(session->dialogs.boxes().isEmpty());
            QCOMPARE(details.result(), int(QDialog::Accepted));
        } else {
            QCOMPARE(session->dialogs.texts(), QStringList{message});
            QCOMPARE(session->dialogs.boxes().first().caption, QStringLiteral("Corvel Launcher"));
            QVERIFY(details.isVisible());
        }
    }

    void detailsBoxesHoldWhatTheColumnsHold()
    {
        TUsersDetailsForm details(session->services());
        for (const char *name : {"edt_UserName", "edt_UserFullName", "edt_UserDepartment"})
            QCOMPARE(child<QLineEdit>(details, name)->maxLength(), 50);
        auto *password = child<QLineEdit>(details, "edt_Password");
        QVERIFY(password->isReadOnly());
        QCOMPARE(password->echoMode(), QLineEdit::Password);
    }

    void listShowsEveryUserAndFollowsTheSelection()
    {
        session->exec(QStringLiteral("Update Users Set Created_Date = '2024-03-07 10:11:12.000' "
                                     "Where UserName = 'former'"));
        auto form = openForm();
        auto *grid = child<QTableView>(*form, "DBGrid1");
        QAbstractItemModelTester tester(grid->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("User ID"));
        // 284 pixels at least; the column also fills the band kept for a scroll bar.
        QVERIFY(grid->columnWidth(0) >= 284);
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(text(*form, "DBEdit1"), QStringLiteral("admin"));
        QCOMPARE(text(*form, "DBEdit2"), QStringLiteral("Corvel Administrator"));
        QVERIFY(child<QCheckBox>(*form, "DBCheckBox1")->isChecked());

        selectRow(*form, QStringLiteral("former"));
        QCOMPARE(text(*form, "DBEdit1"), QStringLiteral("former"));
        QCOMPARE(text(*form, "DBEdit2"), QStringLiteral("Frank Former"));
        QCOMPARE(text(*form, "DBEdit3"), QStringLiteral("Payroll"));
        QCOMPARE(text(*form, "DBEdit4"), QStringLiteral("07/03/2024"));
        QCOMPARE(text(*form, "DBEdit5"), QStringLiteral("setup"));
        QVERIFY(!child<QCheckBox>(*form, "DBCheckBox1")->isChecked());
    }

    void activeCheckBoxOfTheListCannotChangeTheFlag()
    {
        auto form = openForm();
        selectRow(*form, QStringLiteral("former"));
        auto *active = child<QCheckBox>(*form, "DBCheckBox1");
        QTest::mouseClick(active, Qt::LeftButton, {}, active->rect().center());
        QVERIFY(!active->isChecked());
        QCOMPARE(session
                     ->scalar(QStringLiteral("Select isActive From Users "
                                             "Where UserName = 'former'"))
                     .toInt(),
                 0);
    }

    void addedUserIsStoredTrimmedWithTheDefaultsAndSelected()
    {
        auto form = openForm();
        whenModal<TUsersDetailsForm>([](TUsersDetailsForm &details) {
            QCOMPARE(details.windowTitle(), QStringLiteral("Create New Corvel User"));
            QCOMPARE(text(details, "edt_Password"), QStringLiteral("Pq5710"));
            QVERIFY(!child<QLineEdit>(details, "edt_UserName")->isReadOnly());
            QVERIFY(child<QCheckBox>(details, "chk_isActive")->isChecked());
            fillDetails(details, QStringLiteral("  bob  "), QStringLiteral(" Bob Builder\t"),
                        QStringLiteral("Works"));
            click(details, "btn_OK");
        });
        click(*form, "btn_Add");

        QCOMPARE(session->dialogs.texts(), QStringList{kCreated});
        QSqlQuery row(session->workstation.direct());
        QVERIFY(row.exec(QStringLiteral("Select * From Users Where UserName = 'bob'")));
        QVERIFY(row.next());
        QCOMPARE(row.value("UserName").toString(), QStringLiteral("bob"));
        QCOMPARE(row.value("Password").toString(), QStringLiteral("Pq5710"));
        QCOMPARE(row.value("Style").toString(), QStringLiteral("Windows"));
        QCOMPARE(row.value("User_FullName").toString(), QStringLiteral("Bob Builder"));
        QCOMPARE(row.value("User_Department").toString(), QStringLiteral("Works"));
        QCOMPARE(row.value("isActive").toInt(), 1);
        QCOMPARE(row.value("Created_By").toString(), QStringLiteral("admin"));
        QVERIFY(row.value("Created_Date")
                    .toString()
                    .startsWith(QDate::currentDate().toString(Qt::ISODate)));
        QCOMPARE(text(*form, "DBEdit1"), QStringLiteral("bob"));
        QCOMPARE(child<QTableView>(*form, "DBGrid1")->currentIndex().data().toString(),
                 QStringLiteral("bob"));
        QCOMPARE(text(*form, "DBEdit4"), today());
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::newRow("add") << QByteArray("btn_Add");
        QTest::newRow("modify") << QByteArray("btn_Modify");
    }
    void cancelChangesNothing()
    {
        QFETCH(QByteArray, button);
        auto form = openForm();
        const QVariant before = session->scalar(
            QStringLiteral("Select group_concat(UserName || User_FullName || Created_Date) "
                           "From Users"));
        whenModal<TUsersDetailsForm>([](TUsersDetailsForm &details) {
            fillDetails(details, QStringLiteral("someone"), QStringLiteral("Some One"),
                        QStringLiteral("Nowhere"));
            click(details, "btn_Cancel");
        });
        click(*form, button.constData());
        QVERIFY(session->dialogs.boxes().isEmpty());
        QCOMPARE(session->scalar(QStringLiteral("Select group_concat(UserName || User_FullName "
                                                "|| Created_Date) From Users")),
                 before);
    }

    void modifyKeepsIdAndPasswordAndMovesDateAndAuthor()
    {
        session->exec(QStringLiteral("Update Users Set Created_Date = '2001-02-03 04:05:06.000', "
                                     "Created_By = 'setup' Where UserName = 'clerk'"));
        auto form = openForm();
        selectRow(*form, QStringLiteral("clerk"));
        whenModal<TUsersDetailsForm>([](TUsersDetailsForm &details) {
            QCOMPARE(details.windowTitle(), QStringLiteral("Modify Corvel User"));
            QVERIFY(child<QLineEdit>(details, "edt_UserName")->isReadOnly());
            QCOMPARE(text(details, "edt_UserName"), QStringLiteral("clerk"));
            QCOMPARE(text(details, "edt_Password"), QStringLiteral("clerk1"));
            QCOMPARE(text(details, "edt_UserFullName"), QStringLiteral("Carla Clerk"));
            QCOMPARE(text(details, "edt_UserDepartment"), QStringLiteral("Human Resources"));
            QVERIFY(child<QCheckBox>(details, "chk_isActive")->isChecked());
            child<QLineEdit>(details, "edt_UserFullName")->setText(QStringLiteral(" Carla Chief "));
            child<QCheckBox>(details, "chk_isActive")->setChecked(false);
            click(details, "btn_OK");
        });
        click(*form, "btn_Modify");

        QCOMPARE(session->dialogs.texts(), QStringList{kModified});
        QSqlQuery row(session->workstation.direct());
        QVERIFY(row.exec(QStringLiteral("Select * From Users Where UserName = 'clerk'")));
        QVERIFY(row.next());
        QCOMPARE(row.value("User_FullName").toString(), QStringLiteral("Carla Chief"));
        QCOMPARE(row.value("isActive").toInt(), 0);
        QCOMPARE(row.value("Password").toString(), QStringLiteral("clerk1"));
        QCOMPARE(row.value("Created_By").toString(), QStringLiteral("admin"));
        QCOMPARE(text(*form, "DBEdit1"), QStringLiteral("clerk"));
        QCOMPARE(text(*form, "DBEdit4"), today());
        QCOMPARE(text(*form, "DBEdit5"), QStringLiteral("admin"));
    }

    void resetChangesOnlyTheSelectedUserAndAsksNothing()
    {
        auto form = openForm();
        selectRow(*form, QStringLiteral("clerk"));
        click(*form, "btn_ResetPassword");
        QCOMPARE(session->dialogs.boxes().size(), 1);
        QCOMPARE(session->dialogs.boxes().first().text, kReset);
        QCOMPARE(session->dialogs.boxes().first().buttons, QList{DialogButton::Ok});
        QCOMPARE(session->column(QStringLiteral("Select Password From Users Order By UserName")),
                 (QStringList{QStringLiteral("admin1"), QStringLiteral("Pq5710"),
                              QStringLiteral("former1")}));
        QCOMPARE(session
                     ->scalar(QStringLiteral("Select Created_By From Users "
                                             "Where UserName = 'clerk'"))
                     .toString(),
                 QStringLiteral("setup"));
    }

    void databaseRefusalIsRolledBackAndReported()
    {
        auto form = openForm();
        form->addUser({QStringLiteral("clerk"), QStringLiteral("Pq5710"), QStringLiteral("Dup"),
                       QString(), true});
        QCOMPARE(session->dialogs.boxes().size(), 1);
        const QString message = session->dialogs.lastText();
        QVERIFY2(message.startsWith(kFailedPrefix) && message.contains(QStringLiteral("UNIQUE")),
                 qPrintable(message));
        QVERIFY(!session->dm().ADOConnection1.inTransaction());
        QCOMPARE(userCount(), 3);
        QCOMPARE(session
                     ->scalar(QStringLiteral("Select User_FullName From Users "
                                             "Where UserName = 'clerk'"))
                     .toString(),
                 QStringLiteral("Carla Clerk"));
    }

    void changeOfAMissingUserIsNotReportedAsDone_data()
    {
        QTest::addColumn<bool>("modify");
        QTest::addColumn<bool>("emptyList");
        QTest::newRow("reset, user removed meanwhile") << false << false;
        QTest::newRow("reset, empty list") << false << true;
        QTest::newRow("modify, user removed meanwhile") << true << false;
    }
    void changeOfAMissingUserIsNotReportedAsDone()
    {
        QFETCH(bool, modify);
        QFETCH(bool, emptyList);
        if (emptyList)
            session->exec(QStringLiteral("Delete From Users"));
        auto form = openForm();
        if (!emptyList) {
            selectRow(*form, QStringLiteral("clerk"));
            session->exec(QStringLiteral("Delete From Users Where UserName = 'clerk'"));
        }
        if (modify)
            form->modifyUser({QStringLiteral("clerk"), {}, QStringLiteral("Gone"), {}, true});
        else
            click(*form, "btn_ResetPassword");
        QCOMPARE(session->dialogs.texts(),
                 QStringList{kFailedPrefix + QStringLiteral("User Not Found")});
        QVERIFY(!session->dm().ADOConnection1.inTransaction());
        QCOMPARE(userCount(), emptyList ? 0 : 2);
    }

    void failureBeforeTheTransactionIsReportedToo()
    {
        auto form = openForm();
        session->dm().ADOConnection1.close();
        session->workstation.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=gone.db\r\n"
                                           "[ChoosenStyle]\r\nStyle=Lavender Classico\r\n");
        click(*form, "btn_ResetPassword");
        QCOMPARE(session->dialogs.boxes().size(), 1);
        QVERIFY(session->dialogs.lastText().startsWith(kFailedPrefix));
        QCOMPARE(session
                     ->scalar(QStringLiteral("Select Password From Users "
                                             "Where UserName = 'admin'"))
                     .toString(),
                 QStringLiteral("admin1"));
    }

    void emptyListModifyOffersEmptyBoxesAndRefusesThem()
    {
        session->exec(QStringLiteral("Delete From Users"));
        auto form = openForm();
        QCOMPARE(text(*form, "DBEdit1"), QString());
        whenModal<TUsersDetailsForm>([](TUsersDetailsForm &details) {
            for (const char *name :
                 {"edt_UserName", "edt_Password", "edt_UserFullName", "edt_UserDepartment"})
                QCOMPARE(text(details, name), QString());
            click(details, "btn_OK");
            QVERIFY(details.isVisible());
        });
        click(*form, "btn_Modify");
        QCOMPARE(session->dialogs.texts(), QStringList{kUserIdEmpty});
    }

    void listFailureOnOpeningReachesTheTopLevelHandler()
    {
        session->exec(QStringLiteral("Drop Table Users"));
        auto form = openForm();
        QCOMPARE(session->dialogs.boxes().size(), 1);
        QCOMPARE(session->dialogs.boxes().first().icon, MessageIcon::Error);
        QVERIFY(session->dialogs.lastText().contains(QStringLiteral("Users")));
    }

    // The statements as they run against SQL Server: the ODBC path, with the SQLite ODBC driver
    // standing in for the server.
    void resetRunsThroughOdbc()
    {
        if (!AdminSession::odbcAvailable())
            QSKIP("the SQLite ODBC driver is not registered with unixODBC");
        session = std::make_unique<AdminSession>(AdminSession::Path::Odbc);
        auto form = openForm();
        QCOMPARE(session->dm().ADOConnection1.database().driverName(), QStringLiteral("QODBC"));
        selectRow(*form, QStringLiteral("clerk"));
        QCOMPARE(text(*form, "DBEdit3"), QStringLiteral("Human Resources"));
        click(*form, "btn_ResetPassword");
        QCOMPARE(session->dialogs.texts(), QStringList{kReset});
        QCOMPARE(session
                     ->scalar(QStringLiteral("Select Password From Users "
                                             "Where UserName = 'clerk'"))
                     .toString(),
                 QStringLiteral("Pq5710"));
    }
};

CORVEL_TEST(UsersManagementTest)
#include "UsersTest.moc"
