#pragma once

#include "platform/Services.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace corvel {

// Adds a user or modifies one; the users management window fills it, shows it and stores what it
// returns.
class TUsersDetailsForm : public QDialog
{
    Q_OBJECT
public:
    struct Details
    {
        QString userName;
        QString password;
        QString fullName;
        QString department;
        bool isActive = false;
    };

    explicit TUsersDetailsForm(const Services &services, QWidget *parent = nullptr);

    // Empty boxes for a new user, who starts with `defaultPassword`.
    void prepareCreate(const QString &defaultPassword);
    // The selected user's values; the user id cannot be changed.
    void prepareModify(const Details &user);
    // The boxes' trimmed texts and the check box.
    Details details() const;

    // The message refusing `userId` as typed, or empty text when it is acceptable.
    static QString userIdProblem(const QString &userId);

    void btn_OKClick();

private:
    void buildControls();

    Services m_services;
    QPushButton *btn_OK = nullptr;
    QPushButton *btn_Cancel = nullptr;
    QLineEdit *edt_UserName = nullptr;
    QLineEdit *edt_Password = nullptr;
    QLineEdit *edt_UserFullName = nullptr;
    QLineEdit *edt_UserDepartment = nullptr;
    QCheckBox *chk_isActive = nullptr;
};

} // namespace corvel
