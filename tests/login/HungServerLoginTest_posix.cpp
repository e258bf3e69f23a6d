#include "HungServerWorkstation.h"
#include "OdbcDrivers.h"
#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "login/LoginForm.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

// A server that takes the connection and never answers, at login.
class HungServerLoginTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (!odbcDriverRegistered(QStringLiteral("FreeTDS")))
            QSKIP("FreeTDS is not registered with unixODBC");
        TLoginForm::resetAttemptCounter();
    }

    void loginReportsTheTimeoutAndTheDialogStaysUsable()
    {
        HungServerWorkstation hung;
        QVERIFY2(hung.server.isListening(), qPrintable(hung.server.error()));
        TDataModule1 &dm = hung.dm;
        ScriptedDialogService dialogs;
        RecordingShell shell;
        TLoginForm form(dm, Services{dialogs, shell});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *user = form.findChild<QLineEdit *>(QStringLiteral("edt_UserName"));
        auto *password = form.findChild<QLineEdit *>(QStringLiteral("edt_Password"));
        auto *login = form.findChild<QPushButton *>(QStringLiteral("btn_Login"));

        for (int attempt = 1; attempt <= 2; ++attempt) {
            user->setText(QStringLiteral("admin"));
            password->setText(QStringLiteral("admin1"));
            QElapsedTimer clock;
            clock.start();
            QTest::mouseClick(login, Qt::LeftButton);
            QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(dialogs.boxes().size(), attempt);
            QCOMPARE(dialogs.boxes().last().icon, MessageIcon::Error);
            QVERIFY2(dialogs.lastText().contains(QStringLiteral("[FreeTDS]")),
                     qPrintable(dialogs.lastText()));
            QVERIFY(form.isVisible());
            QCOMPARE(form.modalResult(), TLoginForm::ModalResult::None);
        }
        QCOMPARE(hung.server.connections(), 2);
        QVERIFY(dm.Current_UserID.isEmpty());

        QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Rejected));
    }
};

CORVEL_TEST(HungServerLoginTest)
#include "HungServerLoginTest_posix.moc"
