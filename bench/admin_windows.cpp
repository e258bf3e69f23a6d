// Opening the users management and role assignment windows (show, which reloads their lists and
// builds the role tree) over 10,000 users and 10,000 or 5,000 roles, against the same windows over
// the demo rows and against a plain QTableView filled with the same 10,000 user ids.
#include "BenchSupport.h"
#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "Workstation.h"

#include "admin/AssignRolesForm.h"
#include "admin/UsersMgtForm.h"
#include "app/DataModule1.h"

#include <QApplication>
#include <QHeaderView>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>
#include <QWindow>

using namespace corvel;

namespace {

constexpr int kRuns = 5;
constexpr int kUsers = 10000;

// Inserts `users` users and modules x screens x roles roles in one transaction.
void seed(test::Workstation &workstation, int users, int modules, int screens, int roles)
{
    QSqlDatabase db = workstation.direct();
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("Insert Into Users (UserName, Password, Style, User_FullName, "
                                  "User_Department, isActive, Created_Date, Created_By) Values "
                                  "(?, 'secret', 'Windows', ?, 'Bench', 1, "
                                  "'2024-01-01 08:00:00.000', 'bench')"));
    for (int i = 0; i < users; ++i) {
        insert.addBindValue(QStringLiteral("user%1").arg(i, 5, 10, QLatin1Char('0')));
        insert.addBindValue(QStringLiteral("Bench User %1").arg(i));
        if (!insert.exec())
            qFatal("%s", qPrintable(insert.lastError().text()));
    }
    insert.prepare(QStringLiteral("Insert Into Roles (Module, Screen, RoleName, RoleDesc, "
                                  "RoleUsedBy) Values (?, ?, ?, ?, 'Bench')"));
    for (int m = 0; m < modules; ++m) {
        for (int s = 0; s < screens; ++s) {
            for (int r = 0; r < roles; ++r) {
                insert.addBindValue(QStringLiteral("Module%1").arg(m, 2, 10, QLatin1Char('0')));
                insert.addBindValue(QStringLiteral("Screen%1").arg(s, 2, 10, QLatin1Char('0')));
                insert.addBindValue(QStringLiteral("Role_%1_%2_%3").arg(m).arg(s).arg(r));
                insert.addBindValue(QStringLiteral("Bench role %1.%2.%3").arg(m).arg(s).arg(r));
                if (!insert.exec())
                    qFatal("%s", qPrintable(insert.lastError().text()));
            }
        }
    }
    db.commit();
}

void showAndWait(QWidget &window)
{
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Milliseconds from creating the window to its being shown with its data, median of kRuns.
template <typename Window> double openWindow(test::Workstation &workstation)
{
    test::ScriptedDialogService dialogs;
    test::RecordingShell shell;
    TDataModule1 dm(workstation.launcherPath());
    dm.DataModuleCreate();
    dm.Current_UserID = QStringLiteral("admin");
    const double ms = bench::medianMs(kRuns, [&] {
        Window window(dm, {dialogs, shell});
        showAndWait(window);
    });
    if (!dialogs.boxes().isEmpty())
        qFatal("the window reported: %s", qPrintable(dialogs.lastText()));
    return ms;
}

double plainTable()
{
    return bench::medianMs(kRuns, [] {
        QStringList ids;
        for (int i = 0; i < kUsers; ++i)
            ids << QStringLiteral("user%1").arg(i, 5, 10, QLatin1Char('0'));
        QStandardItemModel model(0, 1);
        QList<QStandardItem *> items;
        for (const QString &id : ids)
            items << new QStandardItem(id);
        model.invisibleRootItem()->appendColumn(items);
        QTableView view;
        view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view.setModel(&model);
        view.resize(915, 288);
        showAndWait(view);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    test::Workstation demo;
    demo.useSeededDatabase();
    test::Workstation large;
    large.useSeededDatabase();
    seed(large, kUsers, 50, 20, 10);
    test::Workstation medium;
    medium.useSeededDatabase();
    seed(medium, kUsers, 25, 20, 10);

    const double table = plainTable();
    const double usersDemo = openWindow<TUsersMgtForm>(demo);
    const double usersLarge = openWindow<TUsersMgtForm>(large);
    const double rolesDemo = openWindow<TAssignRolesForm>(demo);
    const double rolesLarge = openWindow<TAssignRolesForm>(large);
    const double rolesMedium = openWindow<TAssignRolesForm>(medium);

    bench::report("users window, 10,000 users", usersLarge, "ms", usersDemo, "demo rows");
    bench::report("users window, 10,000 users", usersLarge, "ms", table, "plain table");
    bench::report("roles window, 10,000 users, 10,000 roles", rolesLarge, "ms", rolesDemo,
                  "demo rows");
    bench::report("roles window, 10,000 users, 5,000 roles", rolesMedium, "ms", rolesDemo,
                  "demo rows");
    bench::report("roles window, 10,000 users, 10,000 roles", rolesLarge, "ms", table,
                  "plain table");
    return 0;
}
