#pragma once

#include "platform/Services.h"

#include <QHash>
#include <QMainWindow>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;

namespace corvel {

class TDataModule1;
struct ModuleRecord;

// The launcher's main window: the module tiles, the picture and the main menu.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    TMainForm(TDataModule1 &dataModule, const Services &services, QWidget *parent = nullptr);

    // Runs the login dialog and, when it closes with OK, CheckAuthorities.
    void Login();
    // Enables the tiles and menu items the logged-in user's roles allow.
    void CheckAuthorities();
    // The version string of `App_Name`; a bare name means the file in the launcher's folder.
    QString GetAppVersionStr(const QString &App_Name) const;

    // The menu holds this many 16 x 16 images; any other index shows none.
    static constexpr int kMenuImageCount = 15;
    static QIcon menuImage(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Login1Click();
    void ChangePassword1Click();
    void Menu_ExitClick();
    void LookFeel1Click();
    void Menu_UpgradeCorvelLauncherClick();
    void Menu_UpgradeModuleClick(const ModuleRecord &module);
    void Menu_UpgradeReportsAndFormsClick();
    void Menu_CorvelDefaultsClick();
    void Menu_UsersManagementClick();
    void Menu_AssignRolesClick();
    void Menu_ReportingAssetsClick();
    void menu_HowToClick();
    void Menu_SupportClick();
    void Menu_AboutClick();
    void btn_LaunchModuleClick(const ModuleRecord &module);
    void btn_LaunchHRPortalClick();
    void Image7Click();

    void buildTiles(QFrame *grid);
    QFrame *buildTile(const ModuleRecord &module, int width, QWidget *parent);
    QFrame *buildPicture(QWidget *parent);
    void buildMenu();
    QAction *addItem(QMenu *menu, const QString &name, const QString &caption, int imageIndex);
    QMenu *addMenu(QMenu *parentMenu, const QString &name, const QString &caption, int imageIndex);
    // Opens `address` in the browser with every double quote written as %22.
    void openWebAddress(const QString &address);
    template <typename Dialog> void showDialog();
    template <typename Handler> void handle(Handler &&handler);

    TDataModule1 &m_dataModule;
    Services m_services;

    QHash<QString, QPushButton *> m_launchButtons;
    QLabel *Image7 = nullptr;
    QAction *Login1 = nullptr;
    QAction *ChangePassword1 = nullptr;
    QMenu *Menu_Upgrades = nullptr;
    QAction *Menu_CorvelDefaults = nullptr;
    QMenu *Menu_UsersAuthorities = nullptr;
    QAction *Menu_ReportingAssets = nullptr;
};

} // namespace corvel
