#include "launcher/MainForm.h"

#include "admin/AssignRolesForm.h"
#include "admin/ChangePasswordForm.h"
#include "admin/ReportingAssetsManagementForm.h"
#include "admin/UsersMgtForm.h"
#include "app/AppVersion.h"
#include "app/Artwork.h"
#include "app/DataModule1.h"
#include "app/TopLevelErrorHandler.h"
#include "launcher/ModuleCatalogue.h"
#include "launcher/ModuleLaunch.h"
#include "launcher/Upgrades.h"
#include "launcher/WebAddresses.h"
#include "login/LoginForm.h"
#include "platform/DialogService.h"
#include "platform/ScreenFit.h"
#include "platform/ShellService.h"
#include "prefs/AboutApplicationForm.h"
#include "prefs/CorvelDefaultsForm.h"
#include "prefs/StyleForm.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QtMath>

namespace corvel {

namespace {

const QString kCaption = QStringLiteral("Corvel Launcher");
const QString kLaunch = QStringLiteral("Launch");
const QString kPictureHint = QStringLiteral("Visit Corvel website");
const QString kPasswordChanged = QStringLiteral("Password Changed Successfuly !");
const QString kNoPortalAddress = QStringLiteral("No portal address is set in Workers.ini");
const QString kPicture = QStringLiteral(":/artwork/picture.jpg");

// ImageList1, in index order.
const char *const kMenuImageFiles[TMainForm::kMenuImageCount] = {
    "file",  "login",    "password", "exit",  "style",   "lookfeel", "upgrades",  "settings",
    "users", "defaults", "help",     "howto", "support", "about",    "reporting",
};

constexpr int kNoImage = -1;
constexpr QSize kClientSize(1152, 708);
constexpr int kGridWidth = 438;
constexpr QSize kPictureSize(700, 700);
constexpr QSize kTileIconSize(64, 64);
constexpr QRect kLaunchButtonRect(334, 15, 75, 30);
constexpr int kMargin = 3;

QFont tahoma(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A tile's caption, reaching to the tile's right edge. Sized to its text instead, every caption
// would be laid out once more before the window is first drawn.
QLabel *placedLabel(const QString &name, const QString &text, const QFont &font, QPoint pos,
                    int tileWidth, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    label->setGeometry(pos.x(), pos.y(), tileWidth - pos.x(), qCeil(QFontMetricsF(font).height()));
    return label;
}

} // namespace

TMainForm::TMainForm(TDataModule1 &dataModule, const Services &services, QWidget *parent)
    : QMainWindow(parent), m_dataModule(dataModule), m_services(services)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(tahoma(13));

    auto *client = new QWidget(this);
    client->setFixedSize(kClientSize);
    auto *columns = new QHBoxLayout(client);
    columns->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    columns->setSpacing(2 * kMargin);

    auto *grid = new QFrame(client);
    grid->setObjectName(QStringLiteral("GridPanel1"));
    grid->setFrameStyle(QFrame::Panel | QFrame::Raised);
    grid->setFixedWidth(kGridWidth);
    buildTiles(grid);
    columns->addWidget(grid);
    columns->addWidget(buildPicture(client));

    // The client area keeps its size; on a screen too small for it, it scrolls.
    auto *area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("ClientArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidget(client);
    setCentralWidget(area);

    buildMenu();
    new ScreenFit(*this, *area);
}

void TMainForm::buildTiles(QFrame *grid)
{
    auto *rows = new QVBoxLayout(grid);
    const int inset = grid->frameWidth() + kMargin;
    rows->setContentsMargins(inset, inset, inset, inset);
    rows->setSpacing(2 * kMargin);
    for (const ModuleRecord &module : catalogue::tiles())
        rows->addWidget(buildTile(module, kGridWidth - 2 * inset, grid), 1);
}

QFrame *TMainForm::buildTile(const ModuleRecord &module, int width, QWidget *parent)
{
    auto *tile = new QFrame(parent);
    tile->setObjectName(module.panel);
    tile->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);

    auto *icon = new QLabel(tile);
    icon->setObjectName(module.icon);
    icon->setGeometry(QRect(module.iconPos, kTileIconSize));
    icon->setScaledContents(true);
    icon->setPixmap(artwork::pixmap(module.artwork));

    placedLabel(module.titleLabel, module.title, tahoma(19, true), module.titlePos, width, tile);
    placedLabel(module.subtitleLabel, module.subtitle, tahoma(16), module.subtitlePos, width, tile);

    auto *button = new QPushButton(kLaunch, tile);
    button->setObjectName(module.launchButton);
    button->setGeometry(kLaunchButtonRect);
    button->setCursor(Qt::PointingHandCursor);
    // Out of the tab order like every tile control; screen readers find it by its name.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(kLaunch + u' ' + module.title);
    button->setEnabled(module.isPortal());
    m_launchButtons.insert(module.launchButton, button);
    if (module.isPortal()) {
        connect(button, &QPushButton::clicked, this, [this] { btn_LaunchHRPortalClick(); });
    } else {
        connect(button, &QPushButton::clicked, this,
                [this, &module] { btn_LaunchModuleClick(module); });
    }
    return tile;
}

QFrame *TMainForm::buildPicture(QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("Panel7"));
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setLineWidth(1);
    panel->setFixedSize(kPictureSize + QSize(2, 2));

    Image7 = new QLabel(panel);
    Image7->setObjectName(QStringLiteral("Image7"));
    Image7->setGeometry(QRect(QPoint(1, 1), kPictureSize));
    Image7->setPixmap(artwork::pixmap(kPicture));
    Image7->setCursor(Qt::PointingHandCursor);
    Image7->setToolTip(kPictureHint);
    Image7->setAccessibleName(kPictureHint);
    Image7->installEventFilter(this);
    return panel;
}

QIcon TMainForm::menuImage(int index)
{
    if (index < 0 || index >= kMenuImageCount)
        return QIcon();
    return artwork::icon(
        QStringLiteral(":/menu/%1.png").arg(QLatin1String(kMenuImageFiles[index])));
}

QMenu *TMainForm::addMenu(QMenu *parentMenu, const QString &name, const QString &caption,
                          int imageIndex)
{
    QMenu *menu = parentMenu ? parentMenu->addMenu(caption) : menuBar()->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    // A menu bar draws an item's image instead of its caption, so only submenus show theirs.
    if (parentMenu)
        menu->setIcon(menuImage(imageIndex));
    return menu;
}

QAction *TMainForm::addItem(QMenu *menu, const QString &name, const QString &caption,
                            int imageIndex)
{
    QAction *action = menu->addAction(menuImage(imageIndex), caption);
    action->setObjectName(name);
    return action;
}

void TMainForm::buildMenu()
{
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));

    QMenu *file = addMenu(nullptr, QStringLiteral("Menu_File"), QStringLiteral("File"), 0);
    Login1 = addItem(file, QStringLiteral("Login1"), QStringLiteral("Login"), 1);
    connect(Login1, &QAction::triggered, this, [this] { Login1Click(); });
    ChangePassword1 =
        addItem(file, QStringLiteral("ChangePassword1"), QStringLiteral("Change Password"), 2);
    ChangePassword1->setEnabled(false);
    connect(ChangePassword1, &QAction::triggered, this, [this] { ChangePassword1Click(); });
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    QAction *exit = addItem(file, QStringLiteral("Menu_Exit"), QStringLiteral("Exit"), 3);
    connect(exit, &QAction::triggered, this, [this] { Menu_ExitClick(); });

    QMenu *style = addMenu(nullptr, QStringLiteral("Style1"), QStringLiteral("Style"), 4);
    QAction *lookFeel =
        addItem(style, QStringLiteral("LookFeel1"), QStringLiteral("Look && Feel"), 5);
    connect(lookFeel, &QAction::triggered, this, [this] { LookFeel1Click(); });

    Menu_Upgrades =
        addMenu(nullptr, QStringLiteral("Menu_Upgrades"), QStringLiteral("Upgrades"), 6);
    Menu_Upgrades->menuAction()->setVisible(false);
    const UpgradeEntry &launcher = catalogue::launcher();
    QAction *upgradeLauncher =
        addItem(Menu_Upgrades, launcher.upgradeItem, launcher.upgradeCaption, launcher.imageIndex);
    connect(upgradeLauncher, &QAction::triggered, this,
            [this] { Menu_UpgradeCorvelLauncherClick(); });
    for (const ModuleRecord &module : catalogue::tiles()) {
        if (module.isPortal())
            continue;
        QAction *item =
            addItem(Menu_Upgrades, module.upgradeItem, module.upgradeCaption, module.imageIndex);
        connect(item, &QAction::triggered, this,
                [this, &module] { Menu_UpgradeModuleClick(module); });
    }
    const UpgradeEntry &reports = catalogue::reportsAndForms();
    QAction *upgradeReports =
        addItem(Menu_Upgrades, reports.upgradeItem, reports.upgradeCaption, reports.imageIndex);
    connect(upgradeReports, &QAction::triggered, this,
            [this] { Menu_UpgradeReportsAndFormsClick(); });

    QMenu *settings =
        addMenu(nullptr, QStringLiteral("Menu_Settings"), QStringLiteral("Settings"), 7);
    Menu_CorvelDefaults = addItem(settings, QStringLiteral("Menu_CorvelDefaults"),
                                  QStringLiteral("This PC Defaults"), 9);
    connect(Menu_CorvelDefaults, &QAction::triggered, this, [this] { Menu_CorvelDefaultsClick(); });
    Menu_UsersAuthorities = addMenu(settings, QStringLiteral("Menu_UsersAuthorities"),
                                    QStringLiteral("Users && Authorities"), 8);
    Menu_UsersAuthorities->menuAction()->setEnabled(false);
    QAction *usersManagement =
        addItem(Menu_UsersAuthorities, QStringLiteral("Menu_UsersManagement"),
                QStringLiteral("Users Management"), kNoImage);
    connect(usersManagement, &QAction::triggered, this, [this] { Menu_UsersManagementClick(); });
    QAction *assignRoles = addItem(Menu_UsersAuthorities, QStringLiteral("Menu_AssignRoles"),
                                   QStringLiteral("Assign Roles"), kNoImage);
    connect(assignRoles, &QAction::triggered, this, [this] { Menu_AssignRolesClick(); });
    Menu_ReportingAssets = addItem(settings, QStringLiteral("Menu_ReportingAssets"),
                                   QStringLiteral("Reporting Assets"), 14);
    Menu_ReportingAssets->setEnabled(false);
    connect(Menu_ReportingAssets, &QAction::triggered, this,
            [this] { Menu_ReportingAssetsClick(); });

    QMenu *help = addMenu(nullptr, QStringLiteral("Menu_Help"), QStringLiteral("Help"), 10);
    QAction *howTo = addItem(help, QStringLiteral("menu_HowTo"), QStringLiteral("How To"), 11);
    connect(howTo, &QAction::triggered, this, [this] { menu_HowToClick(); });
    QAction *support = addItem(help, QStringLiteral("Menu_Support"), QStringLiteral("Support"), 12);
    connect(support, &QAction::triggered, this, [this] { Menu_SupportClick(); });
    help->addSeparator()->setObjectName(QStringLiteral("N2"));
    QAction *about = addItem(help, QStringLiteral("Menu_About"), QStringLiteral("About"), 13);
    connect(about, &QAction::triggered, this, [this] { Menu_AboutClick(); });
}

template <typename Handler> void TMainForm::handle(Handler &&handler)
{
    TopLevelErrorHandler::guard(m_services.dialogs, std::forward<Handler>(handler));
}

template <typename Dialog> void TMainForm::showDialog()
{
    handle([this] {
        Dialog dialog(m_dataModule, m_services, this);
        dialog.exec();
    });
}

void TMainForm::Login()
{
    auto dialog = std::make_unique<TLoginForm>(m_dataModule, m_services, this);
    for (const char *box : {"edt_UserName", "edt_Password"})
        dialog->findChild<QLineEdit *>(QLatin1String(box))->clear();
    if (dialog->exec() != QDialog::Accepted)
        return;
    dialog.reset();
    CheckAuthorities();
}

void TMainForm::CheckAuthorities()
{
    Query &roles = m_dataModule.UsersRolesQ;
    const QString roleName = QStringLiteral("RoleName");
    roles.close();
    roles.setParameter(QStringLiteral("UserName"), m_dataModule.Current_UserID);
    roles.open();

    for (const ModuleRecord &module : catalogue::tiles()) {
        if (!module.isPortal() && roles.locate(roleName, module.role))
            m_launchButtons.value(module.launchButton)->setEnabled(true);
    }
    if (roles.locate(roleName, catalogue::kAdminsRole)) {
        Menu_UsersAuthorities->menuAction()->setEnabled(true);
        Menu_ReportingAssets->setEnabled(true);
    }
    if (roles.locate(roleName, catalogue::kChangeDefaultsRole))
        Menu_CorvelDefaults->setEnabled(true);

    Login1->setVisible(false);
    ChangePassword1->setEnabled(true);
    Menu_Upgrades->menuAction()->setVisible(true);
}

QString TMainForm::GetAppVersionStr(const QString &App_Name) const
{
    return corvel::GetAppVersionStr(App_Name, m_dataModule.Local_Path);
}

void TMainForm::Login1Click()
{
    handle([this] { Login(); });
}

void TMainForm::ChangePassword1Click()
{
    handle([this] {
        TChangePasswordForm dialog(m_dataModule, m_services, this);
        for (const char *box : {"edt_CurrPassword", "edt_NewPassword", "edt_ConfirmPassword"}) {
            if (auto *edit = dialog.findChild<QLineEdit *>(QLatin1String(box)))
                edit->clear();
        }
        if (dialog.exec() == QDialog::Accepted)
            m_services.dialogs.showPlain(kPasswordChanged);
    });
}

void TMainForm::Menu_ExitClick()
{
    handle([this] { close(); });
}

void TMainForm::LookFeel1Click()
{
    showDialog<TStyleForm>();
}

void TMainForm::Menu_UpgradeCorvelLauncherClick()
{
    handle([this] { Upgrades(m_dataModule, m_services).upgradeLauncher(); });
    // The reinstaller replaces our executable, so the launcher ends whether or not it started.
    close();
}

void TMainForm::Menu_UpgradeModuleClick(const ModuleRecord &module)
{
    handle([&] { Upgrades(m_dataModule, m_services).upgradeModule(module); });
}

void TMainForm::Menu_UpgradeReportsAndFormsClick()
{
    handle([this] { Upgrades(m_dataModule, m_services).upgradeReportsAndForms(); });
}

void TMainForm::Menu_CorvelDefaultsClick()
{
    showDialog<TCorvelDefaultsForm>();
}

void TMainForm::Menu_UsersManagementClick()
{
    showDialog<TUsersMgtForm>();
}

void TMainForm::Menu_AssignRolesClick()
{
    showDialog<TAssignRolesForm>();
}

void TMainForm::Menu_ReportingAssetsClick()
{
    showDialog<TReportingAssetsManagementForm>();
}

void TMainForm::menu_HowToClick()
{
    handle([this] { openWebAddress(web::kHowTo); });
}

void TMainForm::Menu_SupportClick()
{
    handle([this] { openWebAddress(web::kSupport); });
}

void TMainForm::Menu_AboutClick()
{
    showDialog<TAboutApplicationForm>();
}

void TMainForm::btn_LaunchModuleClick(const ModuleRecord &module)
{
    handle([&] { ModuleLaunch(m_dataModule, m_services).launch(module); });
}

void TMainForm::btn_LaunchHRPortalClick()
{
    handle([this] {
        // The shell takes an empty address for the current folder and opens that.
        if (m_dataModule.CorvelPortal_URL.isEmpty())
            m_services.dialogs.showPlain(kNoPortalAddress);
        else
            openWebAddress(m_dataModule.CorvelPortal_URL);
    });
}

void TMainForm::Image7Click()
{
    handle([this] { openWebAddress(web::kMakerSite); });
}

void TMainForm::openWebAddress(const QString &address)
{
    QString quoted = address;
    quoted.replace(u'"', QStringLiteral("%22"));
    m_services.shell.open(quoted, QString(), false);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image7) {
        // Hints are off for the whole window: the picture's hint never pops up.
        if (event->type() == QEvent::ToolTip)
            return true;
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton &&
                Image7->rect().contains(mouse->position().toPoint())) {
                Image7Click();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace corvel
