#pragma once

#include <QList>
#include <QPoint>
#include <QString>

namespace corvel {

// One suite module: its tile on the main window, how it is launched and checked, the role that
// enables it and how it is upgraded. Tile 7 deliberately mixes names (Invoicing, Revenue,
// Revenu); every value is used exactly as it stands.
struct ModuleRecord
{
    int tile = 0;
    QString title;
    QString subtitle;
    QString launchButton;
    QString executable; // empty for the portal tile
    QString appId;
    QString role;
    QString upgradeItem;
    QString upgradeCaption;
    int imageIndex = -1; // -1: the item has no image index
    QString upgradeFile;

    // Names of the tile's controls and where they stand in the tile panel.
    QString panel;
    QString icon;
    QString titleLabel;
    QString subtitleLabel;
    QPoint iconPos;
    QPoint titlePos;
    QPoint subtitlePos;
    QString artwork; // resource path of the 64 x 64 tile icon

    bool isPortal() const { return executable.isEmpty(); }
};

// An Upgrades menu item that belongs to no tile.
struct UpgradeEntry
{
    QString appId;
    QString executable;
    QString upgradeItem;
    QString upgradeCaption;
    int imageIndex = -1;
};

namespace catalogue {

// The eight tiles, top to bottom: seven modules, then the portal.
const QList<ModuleRecord> &tiles();
// Tiles 1 to 7.
QList<ModuleRecord> modules();
const ModuleRecord &portal();
const ModuleRecord *findByLaunchButton(const QString &buttonName);
const ModuleRecord *findByUpgradeItem(const QString &itemName);

// The launcher itself (first in the Upgrades menu) and the reports and forms (last).
const UpgradeEntry &launcher();
const UpgradeEntry &reportsAndForms();

inline const QString kAdminsRole = QStringLiteral("Admins");
inline const QString kChangeDefaultsRole = QStringLiteral("ChangeCorvelDefaults");
inline const QString kReinstaller = QStringLiteral("Reinstaller.exe");
inline const QString kPrintDesigner = QStringLiteral("PrintDesigner.dll");
inline const QString kReportsFolder = QStringLiteral("Reports");
inline const QString kReportPattern = QStringLiteral("*.fr3");

// "Could not find version info of <App_ID>"
QString versionInfoMissingMessage(const QString &appId);
// "Please Upgrade <App_ID>" LF CR "Version On Your PC: <local>" LF CR "Version On Server: <server>"
QString upgradeNeededMessage(const QString &appId, const QString &local, const QString &server);
// "Choose 'OK' To Upgrade <upgrade file without .exe>"
QString upgradeConfirmation(const QString &upgradeFile);

} // namespace catalogue
} // namespace corvel
