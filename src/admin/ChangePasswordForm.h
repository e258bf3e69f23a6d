#pragma once

#include "data/Command.h"
#include "platform/Services.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace corvel {

class TDataModule1;

// Lets the logged-in user replace their own password, in the database and in the session.
class TChangePasswordForm : public QDialog
{
    Q_OBJECT
public:
    TChangePasswordForm(TDataModule1 &dataModule, const Services &services,
                        QWidget *parent = nullptr);

    static const QString kChangePasswordSql;

    // The message of the first rule the trimmed entries break, or empty text when they pass.
    static QString entriesProblem(const QString &current, const QString &newPassword,
                                  const QString &confirmation, const QString &sessionPassword);

    void btn_ChangeClick();

private:
    void buildControls();
    // Stores the password in the user's row and then in the session; false after a reported
    // failure.
    bool storePassword(const QString &newPassword);

    TDataModule1 &m_dataModule;
    Services m_services;
    Command comm_ChangePassword;

    QPushButton *btn_Change = nullptr;
    QPushButton *Button1 = nullptr;
    QLineEdit *edt_CurrPassword = nullptr;
    QLineEdit *edt_NewPassword = nullptr;
    QLineEdit *edt_ConfirmPassword = nullptr;
};

} // namespace corvel
