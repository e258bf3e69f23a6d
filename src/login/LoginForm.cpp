#include "login/LoginForm.h"

#include "platform/TrimmedText.h"

#include "app/DataModule1.h"
#include "app/TopLevelErrorHandler.h"
#include "platform/DialogService.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvel {

const QString TLoginForm::kGetUserSql =
    QStringLiteral("Select * from Users\r\nWhere UserName = :UserName");

namespace {

const QString kCaption = QStringLiteral("Login ");
const QString kUserIdEmpty = QStringLiteral("User ID is Empty, Please Try Again");
const QString kPasswordEmpty = QStringLiteral("Password is Empty, Please Try Again");
const QString kUserNotFound = QStringLiteral("User Not Found");
const QString kPasswordWrong = QStringLiteral("Password is not correct!");
const QString kUserInactive = QStringLiteral("User is not Active!");

constexpr int kMaxAttemptsBeforeClose = 3;

// Counted over every opening of the dialog during the run.
int attemptCounter = 0;

// Blanks and control characters (code 32 or below) go from both ends; nothing else does.
bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

TLoginForm::TLoginForm(TDataModule1 &dataModule, const Services &services, QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services),
      GetUserQ(dataModule.ADOConnection1, kGetUserSql)
{
    setWindowTitle(kCaption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(13);
    setFont(font);
    setFixedSize(327, 140);
    // A box reads its mask character when it is created, so the rule must come first.
    setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setGeometry(3, 3, 110, 134);

    btn_Login = new QPushButton(QStringLiteral("Login"), Panel1);
    btn_Login->setObjectName(QStringLiteral("btn_Login"));
    btn_Login->setGeometry(8, 16, 89, 31);
    Button1 = new QPushButton(QStringLiteral("Cancel"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(8, 88, 89, 31);
    // Enter belongs to the password box alone; Escape closes nothing.
    for (QPushButton *button : {btn_Login, Button1}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    Label1 = new QLabel(QStringLiteral("User ID:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(128, 25);
    edt_UserName = new QLineEdit(this);
    edt_UserName->setObjectName(QStringLiteral("edt_UserName"));
    edt_UserName->setGeometry(128, 47, 181, 24);
    edt_UserName->setAccessibleName(Label1->text());
    Label1->setBuddy(edt_UserName);

    Label2 = new QLabel(QStringLiteral("Password:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(128, 77);
    edt_Password = new QLineEdit(this);
    edt_Password->setObjectName(QStringLiteral("edt_Password"));
    edt_Password->setGeometry(128, 99, 181, 24);
    edt_Password->setEchoMode(QLineEdit::Password);
    edt_Password->setAccessibleName(Label2->text());
    Label2->setBuddy(edt_Password);
    edt_Password->installEventFilter(this);

    setTabOrder(edt_UserName, edt_Password);
    setTabOrder(edt_Password, btn_Login);
    setTabOrder(btn_Login, Button1);
    edt_UserName->setFocus();

    connect(btn_Login, &QPushButton::clicked, this, [this] { btn_LoginClick(); });
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
}

void TLoginForm::resetAttemptCounter()
{
    attemptCounter = 0;
}

void TLoginForm::btn_LoginClick()
{
    submit();
}

void TLoginForm::submit()
{
    TopLevelErrorHandler::guard(m_services.dialogs, [&] { Login(); });
    if (m_modalResult == ModalResult::Ok)
        accept();
    else if (m_modalResult == ModalResult::Cancel)
        reject();
}

void TLoginForm::Login()
{
    ++attemptCounter;
    if (attemptCounter == kMaxAttemptsBeforeClose)
        m_modalResult = ModalResult::Cancel;

    const QString userId = trimmedText(edt_UserName->text());
    const QString password = trimmedText(edt_Password->text());

    if (userId.isEmpty()) {
        m_services.dialogs.showPlain(kUserIdEmpty);
        edt_UserName->setFocus();
        return;
    }
    if (password.isEmpty()) {
        m_services.dialogs.showPlain(kPasswordEmpty);
        edt_Password->setFocus();
        return;
    }

    GetUserQ.close();
    GetUserQ.setParameter(QStringLiteral("UserName"), userId);
    GetUserQ.open();
    if (GetUserQ.isEmpty()) {
        m_services.dialogs.showPlain(kUserNotFound);
        edt_UserName->setFocus();
        edt_UserName->selectAll();
        return;
    }
    GetUserQ.first();
    if (GetUserQ.text(QStringLiteral("Password")) != password) {
        m_services.dialogs.showPlain(kPasswordWrong);
        edt_Password->setFocus();
        edt_Password->selectAll();
        return;
    }
    if (!GetUserQ.boolean(QStringLiteral("isActive"))) {
        m_services.dialogs.showPlain(kUserInactive);
        return;
    }

    GetUserQ.close();
    m_dataModule.Current_UserID = userId;
    m_dataModule.Current_Password = password;
    m_modalResult = ModalResult::Ok;
}

void TLoginForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TLoginForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edt_Password && event->type() == QEvent::KeyPress &&
        isEnter(static_cast<QKeyEvent *>(event))) {
        submit();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvel
