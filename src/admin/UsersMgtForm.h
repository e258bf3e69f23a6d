#pragma once

#include "admin/UsersDetailsForm.h"
#include "data/Command.h"
#include "data/Query.h"
#include "platform/Services.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace corvel {

class SnapshotTableModel;
class TDataModule1;

// Lists every user and adds, modifies or resets the password of one.
class TUsersMgtForm : public QDialog
{
    Q_OBJECT
public:
    TUsersMgtForm(TDataModule1 &dataModule, const Services &services, QWidget *parent = nullptr);
    ~TUsersMgtForm() override;

    // The password of every new user and of every reset.
    static const QString kDefaultPassword;
    static const QString kUsersSql;
    static const QString kAddUserSql;
    static const QString kModifySql;
    static const QString kResetPasswordSql;

    void FormActivate();
    void btn_AddClick();
    void btn_ModifyClick();
    void btn_ResetPasswordClick();

    // What the handlers do once the details dialog has returned.
    void addUser(const TUsersDetailsForm::Details &user);
    void modifyUser(const TUsersDetailsForm::Details &user);
    void resetPassword();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void reloadUsers();
    void selectUser(const QString &userName);
    void followGrid(int row);
    void showCurrentUser();
    TUsersDetailsForm::Details currentUser() const;
    void applyChange(const std::function<void()> &change, const std::function<void()> &afterCommit);

    TDataModule1 &m_dataModule;
    Services m_services;
    Query UsersQ;
    Command Comm_AddUser;
    Command Comm_Modify;
    Command comm_ResetPassword;
    SnapshotTableModel *m_usersModel = nullptr;

    QPushButton *btn_Add = nullptr;
    QPushButton *btn_Modify = nullptr;
    QPushButton *btn_ResetPassword = nullptr;
    QPushButton *btn_Close = nullptr;
    QTableView *DBGrid1 = nullptr;
    QLineEdit *DBEdit1 = nullptr;
    QLineEdit *DBEdit2 = nullptr;
    QLineEdit *DBEdit3 = nullptr;
    QLineEdit *DBEdit4 = nullptr;
    QLineEdit *DBEdit5 = nullptr;
    QCheckBox *DBCheckBox1 = nullptr;
};

} // namespace corvel
