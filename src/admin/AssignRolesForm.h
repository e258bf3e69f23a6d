#pragma once

#include "data/Command.h"
#include "data/Query.h"
#include "platform/Services.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvel {

class SnapshotTableModel;
class TDataModule1;

// Grants roles to active users and takes them away.
class TAssignRolesForm : public QDialog
{
    Q_OBJECT
public:
    TAssignRolesForm(TDataModule1 &dataModule, const Services &services, QWidget *parent = nullptr);
    ~TAssignRolesForm() override;

    static const QString kUsersSql;
    static const QString kAllRolesSql;
    static const QString kUsersRolesSql;
    static const QString kModulesSql;
    static const QString kScreensSql;
    static const QString kRolesForTreeSql;
    static const QString kAddRoleSql;
    static const QString kRemoveRoleSql;

    void FormActivate();
    void cb_UsersChange();
    void TreeView1Change(QTreeWidgetItem *node);
    void btn_AddClick();
    void btn_RemoveOneRoleClick();
    void btn_RemoveAllRolesClick();

    void FillModules();
    void FillScreens(QTreeWidgetItem *moduleNode);
    void FillRoles(QTreeWidgetItem *screenNode);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void reloadGrants();
    void selectGrant(int row);
    // Runs one grant or removal in a transaction of its own, then `afterCommit`; any failure is
    // rolled back while the transaction is open, and reported.
    void applyChange(const std::function<void()> &change, const std::function<void()> &afterCommit);

    TDataModule1 &m_dataModule;
    Services m_services;
    Query UsersQ;
    Query AllRolesQ;
    Query UsersRolesQ;
    Query ModulesQ;
    Query ScreensQ;
    Query RolesForTreeQ;
    Command comm_AddRole;
    Command comm_RemoveRole;
    SnapshotTableModel *m_grantsModel = nullptr;

    QComboBox *cb_Users = nullptr;
    QLineEdit *edt_Full_Name = nullptr;
    QLineEdit *edt_Department = nullptr;
    QPushButton *Button1 = nullptr;
    QTreeWidget *TreeView1 = nullptr;
    QPushButton *btn_Add = nullptr;
    QPushButton *btn_RemoveOneRole = nullptr;
    QPushButton *btn_RemoveAllRoles = nullptr;
    QTableView *DBGrid3 = nullptr;
    QLabel *lbl_RoleAndDesc = nullptr;
};

} // namespace corvel
