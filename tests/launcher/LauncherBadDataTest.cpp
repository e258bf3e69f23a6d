#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "launcher/MainForm.h"
#include "launcher/ModuleCatalogue.h"
#include "launcher/ModuleLaunch.h"
#include "login/LoginForm.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

using namespace corvel;
using namespace corvel::test;

namespace {

const QVariant kNullText = QVariant(QMetaType::fromType<QString>());
const QString kLong = QString(5000, u'9');

void execWith(Workstation &workstation, const QString &sql, const QVariantList &values)
{
    QSqlQuery query(workstation.direct());
    QVERIFY2(query.prepare(sql), qPrintable(query.lastError().text()));
    for (const QVariant &value : values)
        query.addBindValue(value);
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
}

const ModuleRecord &tile(const QString &appId)
{
    for (const ModuleRecord &record : catalogue::tiles()) {
        if (record.appId == appId)
            return record;
    }
    qFatal("no module %s", qPrintable(appId));
}

} // namespace

// Grants and published versions the launcher never writes itself: nulls, very long and
// non-Latin values.
class LauncherBadDataTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Workstation> ws;
    std::unique_ptr<TDataModule1> dm;
    ScriptedDialogService dialogs;
    RecordingShell shell;

private slots:
    void init()
    {
        TLoginForm::resetAttemptCounter();
        dialogs.clear();
        shell.clear();
        ws = std::make_unique<Workstation>();
        ws->useSeededDatabase();
        dm = std::make_unique<TDataModule1>(ws->launcherPath());
        dm->DataModuleCreate();
    }
    void cleanup()
    {
        dm.reset();
        ws.reset();
    }

    void oddGrantsLeaveTheRealOnesWorking()
    {
        const QString user = QStringLiteral("مستخدم😀");
        execWith(*ws,
                 QStringLiteral("Insert Into Users (UserName, Password, isActive) "
                                "Values (?, ?, 1)"),
                 {user, QStringLiteral("密码")});
        for (const QVariant &role :
             {kNullText, QVariant(QStringLiteral("")), QVariant(kLong),
              QVariant(QStringLiteral("Login_CorvelMap ")), QVariant(QStringLiteral("دور")),
              QVariant(QStringLiteral("login_corvelpayroll")),
              QVariant(QStringLiteral("Login_CorvelEmployee"))}) {
            execWith(*ws,
                     QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (?, ?)"),
                     {user, role});
        }

        TMainForm form(*dm, Services{dialogs, shell});
        QTimer::singleShot(0, [user] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QLineEdit *>(QStringLiteral("edt_UserName"))->setText(user);
            dialog->findChild<QLineEdit *>(QStringLiteral("edt_Password"))
                ->setText(QStringLiteral("密码"));
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btn_Login")),
                              Qt::LeftButton);
        });
        form.findChild<QAction *>(QStringLiteral("Login1"))->trigger();

        QVERIFY(dialogs.boxes().isEmpty());
        QCOMPARE(dm->Current_UserID, user);
        QStringList enabled;
        for (const ModuleRecord &record : catalogue::tiles()) {
            if (form.findChild<QPushButton *>(record.launchButton)->isEnabled())
                enabled << record.launchButton;
        }
        // A role differing only in letter case counts, as the server's collation has it; one
        // with a blank after it does not.
        QCOMPARE(enabled, (QStringList{"btn_LaunchCorvelEmployee", "btn_LaunchCorvelPayroll",
                                       "btn_LaunchHRPortal"}));
        QVERIFY(!form.findChild<QAction *>(QStringLiteral("Login1"))->isVisible());
    }

    void oddPublishedVersionsAreShownWhole_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<QVariant>("published");
        QTest::addColumn<QString>("message");
        const QString map = QStringLiteral("Please Upgrade CorvelMap\n\rVersion On Your PC: "
                                           "1.0.0.0\n\rVersion On Server: ");
        const QString launcher = QStringLiteral("Please Upgrade CorvelLauncher\n\rVersion On Your "
                                                "PC: 1.0.0.0\n\rVersion On Server: ");
        QTest::newRow("5000 digits") << "CorvelMap" << QVariant(kLong) << map + kLong;
        QTest::newRow("Arabic-Indic digits") << "CorvelMap" << QVariant(QStringLiteral("١.٠.٠.٠"))
                                             << map + QStringLiteral("١.٠.٠.٠");
        QTest::newRow("emoji") << "CorvelMap" << QVariant(QStringLiteral("1.0.0.0😀"))
                               << map + QStringLiteral("1.0.0.0😀");
        QTest::newRow("line breaks") << "CorvelMap" << QVariant(QStringLiteral("1.0.0.0\r\n"))
                                     << map + QStringLiteral("1.0.0.0\r\n");
        QTest::newRow("launcher, empty")
            << "CorvelLauncher" << QVariant(QStringLiteral("")) << launcher;
        QTest::newRow("launcher, CJK") << "CorvelLauncher" << QVariant(QStringLiteral("版本"))
                                       << launcher + QStringLiteral("版本");
        QTest::newRow("number, not text")
            << "CorvelMap" << QVariant(1.0) << map + QStringLiteral("1.0");
    }
    void oddPublishedVersionsAreShownWhole()
    {
        QFETCH(QString, appId);
        QFETCH(QVariant, published);
        QFETCH(QString, message);
        ws->installExecutable(QStringLiteral("CorvelMap.exe"), QStringLiteral("1.0.0.0"));
        execWith(*ws, QStringLiteral("Update AppsVersions Set App_Version = ? Where App_ID = ?"),
                 {published, appId});
        dm->Current_UserID = QStringLiteral("clerk");
        dm->Current_Password = QStringLiteral("clerk1");

        ModuleLaunch(*dm, Services{dialogs, shell}).launch(tile(QStringLiteral("CorvelMap")));

        QCOMPARE(dialogs.texts(), QStringList{message});
        QVERIFY(shell.calls().isEmpty());

        // The next click, with the row put right, starts the module.
        dialogs.clear();
        execWith(*ws, QStringLiteral("Update AppsVersions Set App_Version = ? Where App_ID = ?"),
                 {QStringLiteral("1.0.0.0"), appId});
        ModuleLaunch(*dm, Services{dialogs, shell}).launch(tile(QStringLiteral("CorvelMap")));
        QVERIFY(dialogs.boxes().isEmpty());
        QCOMPARE(shell.calls().size(), 1);
    }

    void userAndPasswordOfAnyScriptReachTheModuleUnchanged()
    {
        ws->installExecutable(QStringLiteral("CorvelMap.exe"), QStringLiteral("1.0.0.0"));
        dm->Current_UserID = QStringLiteral("مدير");
        dm->Current_Password = QStringLiteral("🔑 密码");
        ModuleLaunch(*dm, Services{dialogs, shell}).launch(tile(QStringLiteral("CorvelMap")));
        QCOMPARE(shell.calls().size(), 1);
        QCOMPARE(shell.calls().first().parameters, QStringLiteral("مدير 🔑 密码"));
    }
};

CORVEL_TEST(LauncherBadDataTest)
#include "LauncherBadDataTest.moc"
