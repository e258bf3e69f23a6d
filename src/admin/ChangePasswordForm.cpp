#include "admin/ChangePasswordForm.h"

#include "platform/TrimmedText.h"

#include "admin/AdminText.h"
#include "app/DataModule1.h"
#include "app/TopLevelErrorHandler.h"
#include "platform/DialogService.h"
#include "platform/Error.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvel {

const QString TChangePasswordForm::kChangePasswordSql =
    QStringLiteral("Update Users\r\n"
                   "Set Password = :Password\r\n"
                   "Where UserName = :UserName");

namespace {

const QString kCaption = QStringLiteral("Change Password Form");
const QString kCurrentWrong = QStringLiteral("Current Password is Not Correct");
const QString kNewBlank = QStringLiteral("New Password Should Not Be Blank");
const QString kTooShort = QStringLiteral("New Password Should be at least 6 charecter long");
const QString kTooLong = QStringLiteral("New Password Should be not exceed 10 charecter long");
const QString kNotConfirmed = QStringLiteral("New Password is not Confirmed !");
const QString kFailed = QStringLiteral("Something went wrong, Please try again later!");
const QString kRowGone = QStringLiteral("The user's row was not found");

constexpr int kMinimumLength = 6;
constexpr int kMaximumLength = 10;

} // namespace

TChangePasswordForm::TChangePasswordForm(TDataModule1 &dataModule, const Services &services,
                                         QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services),
      comm_ChangePassword(dataModule.ADOConnection1, kChangePasswordSql)
{
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    setFixedSize(353, 195);
}

void TChangePasswordForm::buildControls()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    panel->setFixedWidth(100);
    btn_Change = new QPushButton(QStringLiteral("Change"), panel);
    btn_Change->setObjectName(QStringLiteral("btn_Change"));
    btn_Change->setDefault(true);
    Button1 = new QPushButton(QStringLiteral("Cancel"), panel);
    Button1->setObjectName(QStringLiteral("Button1"));
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(btn_Change);
    panelLayout->addStretch();
    panelLayout->addWidget(Button1);

    auto *fields = new QVBoxLayout;
    fields->setSpacing(2);
    const auto addBox = [&](const QString &caption, const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
        auto *label = new QLabel(caption, this);
        label->setBuddy(edit);
        edit->setAccessibleName(caption);
        fields->addWidget(label);
        fields->addWidget(edit);
        fields->addSpacing(8);
        return edit;
    };
    edt_CurrPassword = addBox(QStringLiteral("Current Password:"), "edt_CurrPassword");
    edt_NewPassword = addBox(QStringLiteral("New Password:"), "edt_NewPassword");
    edt_ConfirmPassword = addBox(QStringLiteral("Confirm New Password:"), "edt_ConfirmPassword");
    fields->addStretch();

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 12, 0);
    layout->setSpacing(12);
    layout->addWidget(panel);
    auto *right = new QVBoxLayout;
    right->setContentsMargins(0, 10, 0, 4);
    right->addLayout(fields);
    layout->addLayout(right, 1);
    setTabOrder(edt_CurrPassword, edt_NewPassword);
    setTabOrder(edt_NewPassword, edt_ConfirmPassword);
    setTabOrder(edt_ConfirmPassword, btn_Change);
    setTabOrder(btn_Change, Button1);
    edt_CurrPassword->setFocus();

    connect(btn_Change, &QPushButton::clicked, this, &TChangePasswordForm::btn_ChangeClick);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
}

QString TChangePasswordForm::entriesProblem(const QString &current, const QString &newPassword,
                                            const QString &confirmation,
                                            const QString &sessionPassword)
{
    if (current.isEmpty() || current != sessionPassword)
        return kCurrentWrong;
    if (newPassword.isEmpty())
        return kNewBlank;
    if (newPassword.size() < kMinimumLength)
        return kTooShort;
    if (newPassword.size() > kMaximumLength)
        return kTooLong;
    if (newPassword != confirmation)
        return kNotConfirmed;
    return {};
}

void TChangePasswordForm::btn_ChangeClick()
{
    TopLevelErrorHandler::guard(m_services.dialogs, [&] {
        const QString newPassword = trimmedText(edt_NewPassword->text());
        const QString problem =
            entriesProblem(trimmedText(edt_CurrPassword->text()), newPassword,
                           trimmedText(edt_ConfirmPassword->text()), m_dataModule.Current_Password);
        if (!problem.isEmpty()) {
            m_services.dialogs.showPlain(problem);
            return;
        }
        if (storePassword(newPassword))
            accept();
    });
}

bool TChangePasswordForm::storePassword(const QString &newPassword)
{
    Connection &connection = m_dataModule.ADOConnection1;
    try {
        // A connection dropped by an earlier failure is opened again, as a query would.
        connection.ensureOpen();
        connection.beginTransaction();
        comm_ChangePassword.setParameter(QStringLiteral("Password"), newPassword);
        comm_ChangePassword.setParameter(QStringLiteral("UserName"), m_dataModule.Current_UserID);
        comm_ChangePassword.execute();
        // A user removed meanwhile has no row to change: that is no changed password.
        if (comm_ChangePassword.rowsAffected() == 0)
            throw Error(kRowGone);
        connection.commit();
    } catch (...) {
        if (connection.inTransaction())
            connection.rollback();
        m_services.dialogs.showPlain(kFailed);
        return false;
    }
    m_dataModule.Current_Password = newPassword;
    return true;
}

} // namespace corvel
