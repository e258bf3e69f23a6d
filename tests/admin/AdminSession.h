#pragma once

#include "OdbcDrivers.h"
#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "platform/Services.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace corvel::test {

// An administrator logged in on a workstation with the seeded database: admin/admin1 holds every
// role, clerk/clerk1 two module roles, former/former1 is inactive.
struct AdminSession
{
    enum class Path
    {
        SQLite,
        // The SQL Server engine's path (ODBC, QODBC) against the same file through the SQLite
        // ODBC driver.
        Odbc
    };

    explicit AdminSession(Path path = Path::SQLite)
    {
        workstation.useSeededDatabase();
        if (path == Path::Odbc) {
            workstation.writeSettings(
                "[Database]\r\nDriver=SQLite3\r\nCatalog=" + workstation.databasePath().toUtf8() +
                "\r\n[ChoosenStyle]\r\nStyle=Lavender Classico\r\n");
        }
        dataModule = std::make_unique<TDataModule1>(workstation.launcherPath());
        dataModule->DataModuleCreate();
        dataModule->Current_UserID = QStringLiteral("admin");
        dataModule->Current_Password = QStringLiteral("admin1");
    }

    static bool odbcAvailable() { return odbcDriverRegistered(QStringLiteral("SQLite3")); }

    Services services() { return {dialogs, shell}; }
    TDataModule1 &dm() { return *dataModule; }

    // The first column of the first row `sql` returns, read on a connection of the test's own.
    QVariant scalar(const QString &sql)
    {
        QSqlQuery query(workstation.direct());
        if (!query.exec(sql) || !query.next())
            qWarning("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        return query.value(0);
    }
    QStringList column(const QString &sql)
    {
        QSqlQuery query(workstation.direct());
        if (!query.exec(sql))
            qWarning("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        QStringList values;
        while (query.next())
            values << query.value(0).toString();
        return values;
    }
    void exec(const QString &sql) { workstation.exec(sql); }

    Workstation workstation;
    ScriptedDialogService dialogs;
    RecordingShell shell;
    std::unique_ptr<TDataModule1> dataModule;
};

// Runs `action` on the next modal dialog of type `Dialog` once it shows; when none shows, the
// check fails. Closes it afterwards if `action` left it open.
template <typename Dialog> void whenModal(std::function<void(Dialog &)> action)
{
    QTimer::singleShot(0, [action] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        QVERIFY2(dialog != nullptr, "the dialog did not show");
        action(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

// Today as the users window shows dates.
inline QString today()
{
    return QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
}

} // namespace corvel::test
