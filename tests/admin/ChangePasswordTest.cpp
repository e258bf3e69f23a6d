#include "AdminSession.h"
#include "TestRegistry.h"

#include "admin/ChangePasswordForm.h"

#include <QLineEdit>
#include <QPushButton>

using namespace corvel;
using namespace corvel::test;

namespace {

const QString kCurrentWrong = QStringLiteral("Current Password is Not Correct");
const QString kBlank = QStringLiteral("New Password Should Not Be Blank");
const QString kShort = QStringLiteral("New Password Should be at least 6 charecter long");
const QString kLong = QStringLiteral("New Password Should be not exceed 10 charecter long");
const QString kNotConfirmed = QStringLiteral("New Password is not Confirmed !");
const QString kFailed = QStringLiteral("Something went wrong, Please try again later!");

} // namespace

class ChangePasswordTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<AdminSession> session;
    std::unique_ptr<TChangePasswordForm> form;

    void type(const QString &current, const QString &newPassword, const QString &confirmation)
    {
        form->findChild<QLineEdit *>(QStringLiteral("edt_CurrPassword"))->setText(current);
        form->findChild<QLineEdit *>(QStringLiteral("edt_NewPassword"))->setText(newPassword);
        form->findChild<QLineEdit *>(QStringLiteral("edt_ConfirmPassword"))->setText(confirmation);
    }
    void click(const char *name)
    {
        QTest::mouseClick(form->findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
    }
    QString storedPassword()
    {
        return session
            ->scalar(QStringLiteral("Select Password From Users Where UserName = 'admin'"))
            .toString();
    }
    void openForm()
    {
        form = std::make_unique<TChangePasswordForm>(session->dm(), session->services());
        form->show();
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

    void boxesAreMasked()
    {
        for (const char *name : {"edt_CurrPassword", "edt_NewPassword", "edt_ConfirmPassword"}) {
            auto *box = form->findChild<QLineEdit *>(QLatin1String(name));
            QCOMPARE(box->echoMode(), QLineEdit::Password);
            QVERIFY(!box->accessibleName().isEmpty());
        }
    }

    void firstBrokenRuleIsReportedAndNothingStored_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("newPassword");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<QString>("message");
        QTest::newRow("current wrong, the rest empty") << "wrong"
                                                       << ""
                                                       << "" << kCurrentWrong;
        QTest::newRow("current empty") << ""
                                       << "abcdef"
                                       << "abcdef" << kCurrentWrong;
        QTest::newRow("current in other letter case") << "ADMIN1"
                                                      << "abcdef"
                                                      << "abcdef" << kCurrentWrong;
        QTest::newRow("new empty, confirmation too") << "admin1"
                                                     << ""
                                                     << "x" << kBlank;
        QTest::newRow("new only blanks") << "admin1"
                                         << "   \t"
                                         << "" << kBlank;
        QTest::newRow("5 characters") << "admin1"
                                      << "abcde"
                                      << "abcde" << kShort;
        QTest::newRow("5 after trimming") << "admin1"
                                          << " abcde "
                                          << " abcde " << kShort;
        QTest::newRow("11 characters") << "admin1"
                                       << "abcdefghijk"
                                       << "abcdefghijk" << kLong;
        QTest::newRow("length before confirmation") << "admin1"
                                                    << "abc"
                                                    << "xyz" << kShort;
        QTest::newRow("confirmation in other letter case") << "admin1"
                                                           << "abcdef"
                                                           << "ABCDEF" << kNotConfirmed;
        QTest::newRow("confirmation empty") << "admin1"
                                            << "abcdef"
                                            << "" << kNotConfirmed;
    }
    void firstBrokenRuleIsReportedAndNothingStored()
    {
        QFETCH(QString, current);
        QFETCH(QString, newPassword);
        QFETCH(QString, confirmation);
        QFETCH(QString, message);
        type(current, newPassword, confirmation);
        click("btn_Change");
        QCOMPARE(session->dialogs.texts(), QStringList{message});
        QVERIFY(form->isVisible());
        QCOMPARE(session->dm().Current_Password, QStringLiteral("admin1"));
        QCOMPARE(storedPassword(), QStringLiteral("admin1"));
    }

    void acceptedPasswordIsStoredThenKeptInTheSession_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("newPassword");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<QString>("stored");
        QTest::newRow("6 characters") << "admin1"
                                      << "abcdef"
                                      << "abcdef"
                                      << "abcdef";
        QTest::newRow("10 characters") << "admin1"
                                       << "abcdefghij"
                                       << "abcdefghij"
                                       << "abcdefghij";
        QTest::newRow("blanks around, confirmation without") << " admin1\t"
                                                             << "  secret7 "
                                                             << "secret7"
                                                             << "secret7";
        QTest::newRow("blank inside") << "admin1"
                                      << "sec ret"
                                      << "sec ret"
                                      << "sec ret";
        QTest::newRow("same as the current one") << "admin1"
                                                 << "admin1"
                                                 << "admin1"
                                                 << "admin1";
        // Three characters outside the basic plane are six UTF-16 code units.
        QTest::newRow("counted in UTF-16 units") << "admin1"
                                                 << "😀😀😀"
                                                 << "😀😀😀"
                                                 << "😀😀😀";
    }
    void acceptedPasswordIsStoredThenKeptInTheSession()
    {
        QFETCH(QString, current);
        QFETCH(QString, newPassword);
        QFETCH(QString, confirmation);
        QFETCH(QString, stored);
        type(current, newPassword, confirmation);
        click("btn_Change");
        QVERIFY(session->dialogs.boxes().isEmpty());
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QVERIFY(!form->isVisible());
        QCOMPARE(storedPassword(), stored);
        QCOMPARE(session->dm().Current_Password, stored);
        QVERIFY(!session->dm().ADOConnection1.inTransaction());
    }

    void failedUpdateKeepsTheDialogAndTheSession_data()
    {
        QTest::addColumn<QString>("arrange");
        QTest::newRow("table refuses") << QStringLiteral("Drop Table Users");
        // Counting it as done would leave the session with a password no row holds.
        QTest::newRow("user removed meanwhile")
            << QStringLiteral("Delete From Users Where UserName = 'admin'");
    }
    void failedUpdateKeepsTheDialogAndTheSession()
    {
        QFETCH(QString, arrange);
        session->exec(arrange);
        type(QStringLiteral("admin1"), QStringLiteral("newpass1"), QStringLiteral("newpass1"));
        click("btn_Change");
        QCOMPARE(session->dialogs.texts(), QStringList{kFailed});
        QVERIFY(form->isVisible());
        QCOMPARE(session->dm().Current_Password, QStringLiteral("admin1"));
        QVERIFY(!session->dm().ADOConnection1.inTransaction());
    }

    void cancelChangesNothing()
    {
        type(QStringLiteral("admin1"), QStringLiteral("newpass1"), QStringLiteral("newpass1"));
        click("Button1");
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QVERIFY(session->dialogs.boxes().isEmpty());
        QCOMPARE(storedPassword(), QStringLiteral("admin1"));
        QCOMPARE(session->dm().Current_Password, QStringLiteral("admin1"));
    }

    void changeRunsThroughOdbc()
    {
        if (!AdminSession::odbcAvailable())
            QSKIP("the SQLite ODBC driver is not registered with unixODBC");
        form.reset();
        session = std::make_unique<AdminSession>(AdminSession::Path::Odbc);
        openForm();
        type(QStringLiteral("admin1"), QStringLiteral("odbc-pw"), QStringLiteral("odbc-pw"));
        click("btn_Change");
        QVERIFY(session->dialogs.boxes().isEmpty());
        QCOMPARE(session->dm().ADOConnection1.database().driverName(), QStringLiteral("QODBC"));
        QCOMPARE(storedPassword(), QStringLiteral("odbc-pw"));
        QCOMPARE(session->dm().Current_Password, QStringLiteral("odbc-pw"));
    }
};

CORVEL_TEST(ChangePasswordTest)
#include "ChangePasswordTest.moc"
