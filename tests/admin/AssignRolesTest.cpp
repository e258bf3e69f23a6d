#include "AdminSession.h"
#include "TestRegistry.h"

#include "admin/AssignRolesForm.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

using namespace corvel;
using namespace corvel::test;

namespace {

const QString kUserFirst = QStringLiteral("Please Selecte a User First!");
const QString kRoleFirst = QStringLiteral("Please Choose a Role First");
const QString kFailedPrefix = QStringLiteral("Something Went Wrong!\n\r");
const QString kSelectRole = QStringLiteral("Select a Role");

QStringList childTexts(const QTreeWidgetItem *node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

} // namespace

class AssignRolesTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<AdminSession> session;
    std::unique_ptr<TAssignRolesForm> form;

    template <typename Widget> Widget *child(const char *name)
    {
        auto *widget = form->findChild<Widget *>(QLatin1String(name));
        if (widget == nullptr)
            qFatal("no control %s", name);
        return widget;
    }
    void openForm()
    {
        form = std::make_unique<TAssignRolesForm>(session->dm(), session->services());
        form->show();
    }
    // Picks the entry as the administrator would.
    void chooseUser(const QString &entry)
    {
        auto *users = child<QComboBox>("cb_Users");
        const int index = users->findText(entry);
        QVERIFY(index >= 0);
        users->setCurrentIndex(index);
        emit users->activated(index);
    }
    // The node at the end of `path` below the root ("Roles" alone is the root).
    QTreeWidgetItem *node(const QStringList &path)
    {
        QTreeWidgetItem *current = child<QTreeWidget>("TreeView1")->topLevelItem(0);
        for (const QString &text : path) {
            QTreeWidgetItem *next = nullptr;
            for (int i = 0; i < current->childCount() && next == nullptr; ++i) {
                if (current->child(i)->text(0) == text)
                    next = current->child(i);
            }
            if (next == nullptr)
                qFatal("no node %s", qPrintable(text));
            current = next;
        }
        return current;
    }
    void selectNode(const QStringList &path)
    {
        child<QTreeWidget>("TreeView1")->setCurrentItem(node(path));
    }
    void click(const char *name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    QStringList grid()
    {
        QStringList rows;
        const QAbstractItemModel *model = child<QTableView>("DBGrid3")->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->index(row, 0).data().toString();
        return rows;
    }
    QStringList grants(const QString &user)
    {
        return session->column(QStringLiteral("Select RoleName From UsersRoles Where UserName = "
                                              "'%1' Order By RoleName")
                                   .arg(user));
    }
    QStringList clerkRoles()
    {
        return {QStringLiteral("Login_CorvelAttendance"), QStringLiteral("Login_CorvelEmployee")};
    }

private slots:
    void init()
    {
        session = std::make_unique<AdminSession>();
        openForm();
    }
    void cleanup()
    {
        form.reset();
        session.reset();
    }

    void openingListsActiveUsersAndBuildsTheRoleTree()
    {
        auto *users = child<QComboBox>("cb_Users");
        QCOMPARE(users->count(), 3);
        QCOMPARE(users->itemText(0), QStringLiteral("Choose User"));
        QCOMPARE(users->itemText(1), QStringLiteral("admin"));
        QCOMPARE(users->itemText(2), QStringLiteral("clerk"));
        QCOMPARE(users->currentIndex(), 0);
        QVERIFY(!users->isEditable());
        QCOMPARE(child<QLineEdit>("edt_Full_Name")->text(), QString());
        QVERIFY(child<QLineEdit>("edt_Full_Name")->isReadOnly());
        QVERIFY(child<QLineEdit>("edt_Department")->isReadOnly());
        QCOMPARE(child<QLabel>("lbl_RoleAndDesc")->text(), kSelectRole);
        QVERIFY(grid().isEmpty());

        auto *tree = child<QTreeWidget>("TreeView1");
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem *root = tree->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("Roles"));
        QVERIFY(!root->isExpanded());
        QCOMPARE(childTexts(root), (QStringList{"Corvel Launcher", "CorvelAttendance",
                                                "CorvelEmployee", "CorvelPayroll"}));
        QCOMPARE(childTexts(node({"Corvel Launcher"})), (QStringList{"Administration", "Modules"}));
        QCOMPARE(childTexts(node({"CorvelEmployee", "Employees"})),
                 (QStringList{"Employees_Edit", "Employees_View"}));
        QCOMPARE(node({"Corvel Launcher", "Modules"})->childCount(), 7);
        QCOMPARE(tree->indentation(), 19);
        QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void choosingAUserShowsTheUserAndTheGrants()
    {
        QAbstractItemModelTester tester(child<QTableView>("DBGrid3")->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        chooseUser(QStringLiteral("clerk"));
        QCOMPARE(child<QLineEdit>("edt_Full_Name")->text(), QStringLiteral("Carla Clerk"));
        QCOMPARE(child<QLineEdit>("edt_Department")->text(), QStringLiteral("Human Resources"));
        QCOMPARE(grid(), clerkRoles());
        QCOMPARE(child<QTableView>("DBGrid3")->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Role ID"));

        chooseUser(QStringLiteral("Choose User"));
        QCOMPARE(child<QLineEdit>("edt_Full_Name")->text(), QString());
        QCOMPARE(child<QLineEdit>("edt_Department")->text(), QString());
        QVERIFY(grid().isEmpty());
    }

    void selectionMadeByTheProgramIsNoChoice()
    {
        child<QComboBox>("cb_Users")->setCurrentIndex(2);
        QCOMPARE(child<QLineEdit>("edt_Full_Name")->text(), QString());
        QVERIFY(grid().isEmpty());
    }

    void labelDescribesOnlyRoleNodes_data()
    {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QString>("label");
        QTest::newRow("root") << QStringList{} << kSelectRole;
        QTest::newRow("module") << QStringList{"CorvelEmployee"} << kSelectRole;
        QTest::newRow("screen") << QStringList{"CorvelEmployee", "Employees"} << kSelectRole;
        QTest::newRow("role") << QStringList{"CorvelEmployee", "Employees", "Employees_Edit"}
                              << QStringLiteral("Employees_Edit, Add and edit employees");
    }
    void labelDescribesOnlyRoleNodes()
    {
        QFETCH(QStringList, path);
        QFETCH(QString, label);
        selectNode({"CorvelPayroll", "Payslips", "Payroll_Run"});
        selectNode(path);
        QCOMPARE(child<QLabel>("lbl_RoleAndDesc")->text(), label);
        child<QTreeWidget>("TreeView1")->setCurrentItem(nullptr);
        QCOMPARE(child<QLabel>("lbl_RoleAndDesc")->text(), kSelectRole);
    }

    void addRoleNeedsAUserAndARole_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<bool>("selectNode");
        QTest::addColumn<QString>("message");
        const QStringList role{"CorvelPayroll", "Payslips", "Payroll_Run"};
        QTest::newRow("no user, a role") << QString() << role << true << kUserFirst;
        QTest::newRow("no user, nothing") << QString() << QStringList{} << false << kUserFirst;
        QTest::newRow("user again unchosen") << "Choose User" << role << true << kUserFirst;
        QTest::newRow("nothing selected") << "clerk" << QStringList{} << false << kRoleFirst;
        QTest::newRow("root") << "clerk" << QStringList{} << true << kRoleFirst;
        QTest::newRow("module") << "clerk" << QStringList{"CorvelPayroll"} << true << kRoleFirst;
        QTest::newRow("screen") << "clerk" << QStringList{"CorvelPayroll", "Payslips"} << true
                                << kRoleFirst;
    }
    void addRoleNeedsAUserAndARole()
    {
        QFETCH(QString, user);
        QFETCH(QStringList, path);
        QFETCH(bool, selectNode);
        QFETCH(QString, message);
        if (!user.isEmpty()) {
            chooseUser(QStringLiteral("clerk"));
            chooseUser(user);
        }
        if (selectNode)
            this->selectNode(path);
        click("btn_Add");
        QCOMPARE(session->dialogs.texts(), QStringList{message});
        QCOMPARE(grants(QStringLiteral("clerk")), clerkRoles());
    }

    void addedRoleIsGrantedAndSelected()
    {
        chooseUser(QStringLiteral("clerk"));
        selectNode({"CorvelPayroll", "Payslips", "Payroll_Run"});
        click("btn_Add");
        QVERIFY(session->dialogs.boxes().isEmpty());
        const QStringList expected = clerkRoles() << QStringLiteral("Payroll_Run");
        QCOMPARE(grants(QStringLiteral("clerk")), expected);
        QCOMPARE(grid(), expected);
        QCOMPARE(child<QTableView>("DBGrid3")->currentIndex().data().toString(),
                 QStringLiteral("Payroll_Run"));
        QVERIFY(!session->dm().ADOConnection1.inTransaction());
    }

    void roleGrantedTwiceIsListedTwice()
    {
        chooseUser(QStringLiteral("clerk"));
        selectNode({"Corvel Launcher", "Modules", "Login_CorvelEmployee"});
        click("btn_Add");
        QVERIFY(session->dialogs.boxes().isEmpty());
        QCOMPARE(grid(), (QStringList{"Login_CorvelAttendance", "Login_CorvelEmployee",
                                      "Login_CorvelEmployee"}));
    }

    void removeRoleRemovesTheSelectedGrant()
    {
        chooseUser(QStringLiteral("clerk"));
        auto *view = child<QTableView>("DBGrid3");
        view->setCurrentIndex(view->model()->index(1, 0));
        click("btn_RemoveOneRole");
        QVERIFY(session->dialogs.boxes().isEmpty());
        QCOMPARE(grants(QStringLiteral("clerk")), QStringList{"Login_CorvelAttendance"});
        QCOMPARE(grid(), QStringList{"Login_CorvelAttendance"});
        QCOMPARE(view->currentIndex().row(), 0);
    }

    void removeAllLeavesTheUserWithoutGrants()
    {
        chooseUser(QStringLiteral("admin"));
        QCOMPARE(grid().size(), 15);
        click("btn_RemoveAllRoles");
        QVERIFY(session->dialogs.boxes().isEmpty());
        QVERIFY(grants(QStringLiteral("admin")).isEmpty());
        QVERIFY(grid().isEmpty());
        QCOMPARE(grants(QStringLiteral("clerk")), clerkRoles());
    }

    void removeAllCarriesOnPastAFailedGrant()
    {
        session->exec(QStringLiteral("Create Trigger KeepAdmins Before Delete On UsersRoles "
                                     "When old.RoleName = 'Admins' "
                                     "Begin Select Raise(Abort, 'kept by a trigger'); End"));
        chooseUser(QStringLiteral("admin"));
        click("btn_RemoveAllRoles");
        QCOMPARE(session->dialogs.texts(),
                 QStringList{kFailedPrefix + QStringLiteral("kept by a trigger")});
        QCOMPARE(grants(QStringLiteral("admin")), QStringList{"Admins"});
        QCOMPARE(grid(), QStringList{"Admins"});
        QVERIFY(!session->dm().ADOConnection1.inTransaction());
    }

    void removingBeforeAnyUserIsChosenRemovesNothing()
    {
        const QVariant before = session->scalar(QStringLiteral("Select Count(*) From UsersRoles"));
        click("btn_RemoveOneRole");
        click("btn_RemoveAllRoles");
        QVERIFY(session->dialogs.boxes().isEmpty());
        QCOMPARE(session->scalar(QStringLiteral("Select Count(*) From UsersRoles")), before);
    }

    void refusedGrantIsRolledBackAndReported()
    {
        chooseUser(QStringLiteral("clerk"));
        selectNode({"CorvelPayroll", "Payslips", "Payroll_Run"});
        session->exec(QStringLiteral("Drop Table UsersRoles"));
        click("btn_Add");
        QCOMPARE(session->dialogs.boxes().size(), 1);
        const QString message = session->dialogs.lastText();
        QVERIFY2(message.startsWith(kFailedPrefix) &&
                     message.contains(QStringLiteral("UsersRoles")),
                 qPrintable(message));
        QVERIFY(!session->dm().ADOConnection1.inTransaction());
    }

    void grantsRunThroughOdbc()
    {
        if (!AdminSession::odbcAvailable())
            QSKIP("the SQLite ODBC driver is not registered with unixODBC");
        form.reset();
        session = std::make_unique<AdminSession>(AdminSession::Path::Odbc);
        openForm();
        QCOMPARE(session->dm().ADOConnection1.database().driverName(), QStringLiteral("QODBC"));
        QCOMPARE(node({"CorvelEmployee", "Documents"})->childCount(), 1);
        chooseUser(QStringLiteral("clerk"));
        selectNode({"CorvelPayroll", "Payslips", "Payroll_Approve"});
        QCOMPARE(child<QLabel>("lbl_RoleAndDesc")->text(),
                 QStringLiteral("Payroll_Approve, Approve payslips"));
        click("btn_Add");
        QCOMPARE(grants(QStringLiteral("clerk")), clerkRoles()
                                                      << QStringLiteral("Payroll_Approve"));
        click("btn_RemoveAllRoles");
        QVERIFY(session->dialogs.boxes().isEmpty());
        QVERIFY(grants(QStringLiteral("clerk")).isEmpty());
    }
};

CORVEL_TEST(AssignRolesTest)
#include "AssignRolesTest.moc"
