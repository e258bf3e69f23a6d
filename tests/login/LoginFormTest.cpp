#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "app/StyleRegistry.h"
#include "login/LoginForm.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

namespace {

const QString kUserIdEmpty = QStringLiteral("User ID is Empty, Please Try Again");
const QString kPasswordEmpty = QStringLiteral("Password is Empty, Please Try Again");
const QString kUserNotFound = QStringLiteral("User Not Found");
const QString kPasswordWrong = QStringLiteral("Password is not correct!");
const QString kUserInactive = QStringLiteral("User is not Active!");

} // namespace

class LoginFormTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Workstation> ws;
    std::unique_ptr<TDataModule1> dm;
    ScriptedDialogService dialogs;
    RecordingShell shell;

    std::unique_ptr<TLoginForm> openForm(QWidget *parent = nullptr)
    {
        auto form = std::make_unique<TLoginForm>(*dm, Services{dialogs, shell}, parent);
        form->show();
        form->activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(form.get());
        return form;
    }
    static QLineEdit *box(TLoginForm &form, const char *name)
    {
        return form.findChild<QLineEdit *>(QLatin1String(name));
    }
    static QPushButton *button(TLoginForm &form, const char *name)
    {
        return form.findChild<QPushButton *>(QLatin1String(name));
    }
    static void fill(TLoginForm &form, const QString &user, const QString &password)
    {
        box(form, "edt_UserName")->setText(user);
        box(form, "edt_Password")->setText(password);
    }
    void attempt(TLoginForm &form, const QString &user, const QString &password)
    {
        fill(form, user, password);
        QTest::mouseClick(button(form, "btn_Login"), Qt::LeftButton);
    }
    void failTwice(TLoginForm &form)
    {
        attempt(form, QStringLiteral("admin"), QStringLiteral("wrong"));
        attempt(form, QStringLiteral("admin"), QStringLiteral("wrong"));
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

    void opensWithFocusInUserIdAndNoDefaultButton()
    {
        // Every style but "Windows" is a style sheet, which must not undo the "*" mask.
        StyleRegistry::applyStyle(QStringLiteral("Lavender Classico"), false, dialogs);
        QWidget mainWindow;
        mainWindow.show();
        auto form = openForm(&mainWindow);
        StyleRegistry::applyStyle(StyleRegistry::kPlainStyle, false, dialogs);
        QCOMPARE(form->windowTitle(), QStringLiteral("Login "));
        QCOMPARE(form->size(), QSize(327, 140));
        QCOMPARE(form->focusWidget(), box(*form, "edt_UserName"));
        box(*form, "edt_Password")->setText(QStringLiteral("abc"));
        QCOMPARE(box(*form, "edt_Password")->displayText(), QStringLiteral("***"));
        for (const char *name : {"btn_Login", "Button1"}) {
            QVERIFY(!button(*form, name)->isDefault());
            QVERIFY(!button(*form, name)->autoDefault());
        }
        for (const char *next : {"edt_Password", "btn_Login", "Button1", "edt_UserName"}) {
            QTest::keyClick(form->focusWidget(), Qt::Key_Tab);
            QCOMPARE(form->focusWidget()->objectName(), QLatin1String(next));
        }
        QCOMPARE(box(*form, "edt_UserName")->accessibleName(), QStringLiteral("User ID:"));
        QCOMPARE(box(*form, "edt_Password")->accessibleName(), QStringLiteral("Password:"));
    }

    void failedCheckShowsItsMessageAndMovesFocus_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("selected");

        QTest::newRow("blank id") << "  \t "
                                  << "admin1" << kUserIdEmpty << "edt_UserName"
                                  << "";
        QTest::newRow("both blank, id first") << ""
                                              << "" << kUserIdEmpty << "edt_UserName"
                                              << "";
        QTest::newRow("blank password") << "admin"
                                        << " \t\r\n " << kPasswordEmpty << "edt_Password"
                                        << "";
        QTest::newRow("unknown user") << "nobody"
                                      << "x" << kUserNotFound << "edt_UserName"
                                      << "nobody";
        QTest::newRow("password differs in case") << "admin"
                                                  << "ADMIN1" << kPasswordWrong << "edt_Password"
                                                  << "ADMIN1";
        QTest::newRow("wrong password before inactive")
            << "former"
            << "nope" << kPasswordWrong << "edt_Password"
            << "nope";
        QTest::newRow("inactive") << "former"
                                  << "former1" << kUserInactive << ""
                                  << "";
    }
    void failedCheckShowsItsMessageAndMovesFocus()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        QFETCH(QString, selected);

        auto form = openForm();
        attempt(*form, user, password);

        QCOMPARE(dialogs.texts(), QStringList{message});
        QCOMPARE(dialogs.boxes().first().caption, QStringLiteral("Corvel Launcher"));
        QVERIFY(form->isVisible());
        QCOMPARE(form->modalResult(), TLoginForm::ModalResult::None);
        QVERIFY(dm->Current_UserID.isEmpty());
        QVERIFY(dm->Current_Password.isEmpty());
        if (!focus.isEmpty()) {
            auto *edit = form->findChild<QLineEdit *>(focus);
            QCOMPARE(form->focusWidget(), edit);
            QCOMPARE(edit->selectedText(), selected);
        }
    }

    void userIdIsTrimmedAndKeptAsTyped()
    {
        auto form = openForm();
        attempt(*form, QStringLiteral(" \tADMIN "), QStringLiteral(" admin1\t"));

        QVERIFY(dialogs.boxes().isEmpty());
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(dm->Current_UserID, QStringLiteral("ADMIN"));
        QCOMPARE(dm->Current_Password, QStringLiteral("admin1"));
    }

    void thirdFailedAttemptOfTheRunClosesWithCancelAfterItsMessage()
    {
        auto form = openForm();
        failTwice(*form);
        QVERIFY(form->isVisible());

        attempt(*form, QStringLiteral(""), QStringLiteral("x"));
        QCOMPARE(dialogs.texts().size(), 3);
        QCOMPARE(dialogs.lastText(), kUserIdEmpty);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));

        // From the fourth attempt on nothing closes the dialog.
        auto again = openForm();
        for (int i = 0; i < 3; ++i)
            attempt(*again, QStringLiteral("admin"), QStringLiteral("wrong"));
        QVERIFY(again->isVisible());
        QCOMPARE(dialogs.texts().size(), 6);
    }

    void attemptsCountAcrossDialogsButCancelDoesNot()
    {
        auto first = openForm();
        failTwice(*first);
        QTest::mouseClick(button(*first, "Button1"), Qt::LeftButton);
        QVERIFY(!first->isVisible());
        QCOMPARE(first->result(), int(QDialog::Rejected));
        QCOMPARE(dialogs.texts().size(), 2);

        auto second = openForm();
        attempt(*second, QStringLiteral("nobody"), QStringLiteral("x"));
        QCOMPARE(dialogs.lastText(), kUserNotFound);
        QVERIFY(!second->isVisible());
        QCOMPARE(second->result(), int(QDialog::Rejected));
    }

    void correctLoginOnTheThirdAttemptSucceeds()
    {
        auto form = openForm();
        failTwice(*form);
        attempt(*form, QStringLiteral("clerk"), QStringLiteral("clerk1"));
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(form->modalResult(), TLoginForm::ModalResult::Ok);
        QCOMPARE(dm->Current_UserID, QStringLiteral("clerk"));
    }

    void databaseErrorReachesTheErrorBoxAndStillCounts()
    {
        ws->exec(QStringLiteral("DROP TABLE Users"));
        auto form = openForm();
        attempt(*form, QStringLiteral("admin"), QStringLiteral("admin1"));
        QCOMPARE(dialogs.boxes().size(), 1);
        QCOMPARE(dialogs.boxes().first().icon, MessageIcon::Error);
        QVERIFY(form->isVisible());

        attempt(*form, QStringLiteral("admin"), QStringLiteral("admin1"));
        attempt(*form, QStringLiteral("admin"), QStringLiteral("admin1"));
        QCOMPARE(dialogs.boxes().size(), 3);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QVERIFY(dm->Current_UserID.isEmpty());
    }

    void enterSubmitsOnlyFromThePasswordBox()
    {
        auto form = openForm();
        fill(*form, QStringLiteral("admin"), QStringLiteral("admin1"));

        QTest::keyClick(box(*form, "edt_UserName"), Qt::Key_Return);
        QTest::keyClick(box(*form, "edt_UserName"), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(form->isVisible());
        QVERIFY(dm->Current_UserID.isEmpty());

        QTest::keyClick(box(*form, "edt_Password"), Qt::Key_Return);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(box(*form, "edt_Password")->text(), QStringLiteral("admin1"));
        QVERIFY(dialogs.boxes().isEmpty());
    }

    void escapeKeepsTheDialogButTheCloseBoxCancels()
    {
        auto form = openForm();
        QTest::keyClick(box(*form, "edt_UserName"), Qt::Key_Escape);
        QTest::keyClick(box(*form, "edt_Password"), Qt::Key_Escape);
        QVERIFY(form->isVisible());

        form->close();
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QVERIFY(dialogs.boxes().isEmpty());
    }
};

CORVEL_TEST(LoginFormTest)
#include "LoginFormTest.moc"
