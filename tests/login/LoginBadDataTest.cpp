#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "login/LoginForm.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

namespace {

const QVariant kNullText = QVariant(QMetaType::fromType<QString>());

} // namespace

// Users rows the launcher never writes itself: nulls, very long and non-Latin values.
class LoginBadDataTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Workstation> ws;
    std::unique_ptr<TDataModule1> dm;
    ScriptedDialogService dialogs;
    RecordingShell shell;

    void addUser(const QString &userName, const QVariant &password, const QVariant &isActive)
    {
        QSqlQuery query(ws->direct());
        query.prepare(QStringLiteral("Insert Into Users (UserName, Password, Style, "
                                     "User_FullName, User_Department, isActive, Created_Date, "
                                     "Created_By) Values (?, ?, Null, Null, Null, ?, Null, Null)"));
        query.addBindValue(userName);
        query.addBindValue(password);
        query.addBindValue(isActive);
        QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
    }

private slots:
    void init()
    {
        TLoginForm::resetAttemptCounter();
        dialogs.clear();
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

    void oddUserRowsAreJudgedByTheUsualChecks_data()
    {
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QVariant>("password");
        QTest::addColumn<QVariant>("isActive");
        QTest::addColumn<QString>("typedUser");
        QTest::addColumn<QString>("typedPassword");
        QTest::addColumn<QString>("message");

        const QString longText(5000, u'ك');
        QTest::newRow("Arabic id and password")
            << QStringLiteral("مدير") << QVariant(QStringLiteral("كلمة_سر")) << QVariant(1)
            << QStringLiteral(" مدير ") << QStringLiteral("كلمة_سر") << QString();
        QTest::newRow("CJK id, emoji password")
            << QStringLiteral("管理员") << QVariant(QStringLiteral("🔑密码🔑")) << QVariant(1)
            << QStringLiteral("管理员") << QStringLiteral("🔑密码🔑") << QString();
        QTest::newRow("emoji password differs in one surrogate")
            << QStringLiteral("emoji") << QVariant(QStringLiteral("pw😀")) << QVariant(1)
            << QStringLiteral("emoji") << QStringLiteral("pw😁")
            << QStringLiteral("Password is not correct!");
        QTest::newRow("5000-character id and password")
            << longText << QVariant(longText) << QVariant(1) << longText << longText << QString();
        QTest::newRow("5000-character id typed, none stored")
            << QStringLiteral("someone") << QVariant(QStringLiteral("pw")) << QVariant(1)
            << longText << QStringLiteral("pw") << QStringLiteral("User Not Found");
        QTest::newRow("null password")
            << QStringLiteral("nopass") << kNullText << QVariant(1) << QStringLiteral("nopass")
            << QStringLiteral("anything") << QStringLiteral("Password is not correct!");
        QTest::newRow("null active flag")
            << QStringLiteral("unsure") << QVariant(QStringLiteral("pw1")) << QVariant()
            << QStringLiteral("unsure") << QStringLiteral("pw1")
            << QStringLiteral("User is not Active!");
        QTest::newRow("active flag stored as text")
            << QStringLiteral("texty") << QVariant(QStringLiteral("pw1"))
            << QVariant(QStringLiteral("no")) << QStringLiteral("texty") << QStringLiteral("pw1")
            << QStringLiteral("User is not Active!");
        QTest::newRow("stored password with blanks around")
            << QStringLiteral("padded") << QVariant(QStringLiteral(" pw1 ")) << QVariant(1)
            << QStringLiteral("padded") << QStringLiteral("pw1")
            << QStringLiteral("Password is not correct!");
    }
    void oddUserRowsAreJudgedByTheUsualChecks()
    {
        QFETCH(QString, userName);
        QFETCH(QVariant, password);
        QFETCH(QVariant, isActive);
        QFETCH(QString, typedUser);
        QFETCH(QString, typedPassword);
        QFETCH(QString, message);
        addUser(userName, password, isActive);

        TLoginForm form(*dm, Services{dialogs, shell});
        form.show();
        form.findChild<QLineEdit *>(QStringLiteral("edt_UserName"))->setText(typedUser);
        form.findChild<QLineEdit *>(QStringLiteral("edt_Password"))->setText(typedPassword);
        QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("btn_Login")),
                          Qt::LeftButton);

        if (message.isEmpty()) {
            QVERIFY(dialogs.boxes().isEmpty());
            QCOMPARE(form.result(), int(QDialog::Accepted));
            QCOMPARE(dm->Current_UserID, typedUser.trimmed());
            QCOMPARE(dm->Current_Password, typedPassword);
        } else {
            QCOMPARE(dialogs.texts(), QStringList{message});
            QVERIFY(form.isVisible());
            QVERIFY(dm->Current_UserID.isEmpty());
        }
    }
};

CORVEL_TEST(LoginBadDataTest)
#include "LoginBadDataTest.moc"
