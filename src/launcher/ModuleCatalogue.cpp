#include "launcher/ModuleCatalogue.h"

namespace corvel::catalogue {

namespace {

ModuleRecord moduleTile(int tile, const QString &name, const QString &subtitle, int imageIndex,
                        const QString &panel, const QString &icon, const QString &title,
                        const QString &sub, bool lowerLabels)
{
    ModuleRecord r;
    r.tile = tile;
    r.title = name;
    r.subtitle = subtitle;
    r.launchButton = QStringLiteral("btn_Launch") + name;
    r.executable = name + QStringLiteral(".exe");
    r.appId = name;
    r.role = QStringLiteral("Login_") + name;
    r.upgradeItem = QStringLiteral("Menu_Upgrade") + name;
    r.upgradeCaption = QStringLiteral("Upgrade ") + name;
    r.imageIndex = imageIndex;
    r.upgradeFile = name + QStringLiteral(".exe");
    r.panel = panel;
    r.icon = icon;
    r.titleLabel = title;
    r.subtitleLabel = sub;
    r.iconPos = tile == 1 || tile >= 6 ? QPoint(16, 10) : QPoint(16, 11);
    r.titlePos = lowerLabels ? QPoint(104, 15) : QPoint(102, 9);
    r.subtitlePos = lowerLabels ? QPoint(104, 44) : QPoint(102, 39);
    r.artwork = QStringLiteral(":/tiles/") + name.toLower() + QStringLiteral(".png");
    return r;
}

QList<ModuleRecord> buildTiles()
{
    QList<ModuleRecord> t;
    t << moduleTile(1, QStringLiteral("CorvelMap"), QStringLiteral("Resources on a Map"), 55,
                    QStringLiteral("Panel1"), QStringLiteral("Image5"), QStringLiteral("Label9"),
                    QStringLiteral("Label10"), true);
    t << moduleTile(2, QStringLiteral("CorvelEmployee"), QStringLiteral("Employees Management"), 54,
                    QStringLiteral("Panel2"), QStringLiteral("Image1"), QStringLiteral("Label1"),
                    QStringLiteral("Label5"), true);
    t << moduleTile(3, QStringLiteral("CorvelAttendance"), QStringLiteral("Attendance Management"),
                    -1, QStringLiteral("Panel3"), QStringLiteral("Image4"),
                    QStringLiteral("Label4"), QStringLiteral("Label8"), true);
    t << moduleTile(4, QStringLiteral("CorvelPayroll"), QStringLiteral("Payroll Management"), 51,
                    QStringLiteral("Panel4"), QStringLiteral("Image2"), QStringLiteral("Label2"),
                    QStringLiteral("Label6"), true);
    t << moduleTile(5, QStringLiteral("CorvelOperations"), QStringLiteral("Operations Management"),
                    50, QStringLiteral("Panel5"), QStringLiteral("Image3"),
                    QStringLiteral("Label3"), QStringLiteral("Label7"), true);
    t << moduleTile(6, QStringLiteral("CorvelTransportation"),
                    QStringLiteral("Transportation Management"), -1, QStringLiteral("Panel6"),
                    QStringLiteral("Image6"), QStringLiteral("Label11"), QStringLiteral("Label12"),
                    false);

    ModuleRecord invoicing =
        moduleTile(7, QStringLiteral("CorvelInvoicing"), QStringLiteral("Invoicing Management"), 52,
                   QStringLiteral("Panel8"), QStringLiteral("Image8"), QStringLiteral("Label13"),
                   QStringLiteral("Label14"), false);
    invoicing.launchButton = QStringLiteral("btn_LaunchCorvelRevenue");
    invoicing.role = QStringLiteral("Login_CorvelRevenue");
    invoicing.upgradeItem = QStringLiteral("Menu_UpgradeCorvelRevenu");
    invoicing.upgradeCaption = QStringLiteral("Upgrade CorvelRevenu");
    invoicing.upgradeFile = QStringLiteral("CorvelRevenue.exe");
    t << invoicing;

    ModuleRecord portal;
    portal.tile = 8;
    portal.title = QStringLiteral("Corvel Portal");
    portal.subtitle = QStringLiteral("Corvel Web Portal");
    portal.launchButton = QStringLiteral("btn_LaunchHRPortal");
    portal.panel = QStringLiteral("Panel9");
    portal.icon = QStringLiteral("Image9");
    portal.titleLabel = QStringLiteral("Label15");
    portal.subtitleLabel = QStringLiteral("Label16");
    portal.iconPos = QPoint(16, 10);
    portal.titlePos = QPoint(102, 9);
    portal.subtitlePos = QPoint(102, 39);
    portal.artwork = QStringLiteral(":/tiles/corvelportal.png");
    t << portal;
    return t;
}

} // namespace

const QList<ModuleRecord> &tiles()
{
    static const QList<ModuleRecord> all = buildTiles();
    return all;
}

QList<ModuleRecord> modules()
{
    return tiles().mid(0, 7);
}

const ModuleRecord &portal()
{
    return tiles().last();
}

const ModuleRecord *findByLaunchButton(const QString &buttonName)
{
    for (const ModuleRecord &r : tiles()) {
        if (r.launchButton == buttonName)
            return &r;
    }
    return nullptr;
}

const ModuleRecord *findByUpgradeItem(const QString &itemName)
{
    for (const ModuleRecord &r : tiles()) {
        if (!r.upgradeItem.isEmpty() && r.upgradeItem == itemName)
            return &r;
    }
    return nullptr;
}

const UpgradeEntry &launcher()
{
    static const UpgradeEntry entry{QStringLiteral("CorvelLauncher"),
                                    QStringLiteral("CorvelLauncher.exe"),
                                    QStringLiteral("Menu_UpgradeCorvelLauncher"),
                                    QStringLiteral("Upgrade Corvel Launcher"), 53};
    return entry;
}

const UpgradeEntry &reportsAndForms()
{
    static const UpgradeEntry entry{QString(), QString(),
                                    QStringLiteral("Menu_UpgradeReportsAndForms"),
                                    QStringLiteral("Upgrade Reports And Forms"), 17};
    return entry;
}

QString versionInfoMissingMessage(const QString &appId)
{
    return QStringLiteral("Could not find version info of ") + appId;
}

QString upgradeNeededMessage(const QString &appId, const QString &local, const QString &server)
{
    const QString lfcr = QStringLiteral("\n\r");
    return QStringLiteral("Please Upgrade ") + appId + lfcr +
           QStringLiteral("Version On Your PC: ") + local + lfcr +
           QStringLiteral("Version On Server: ") + server;
}

QString upgradeConfirmation(const QString &upgradeFile)
{
    QString name = upgradeFile;
    if (name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return QStringLiteral("Choose 'OK' To Upgrade ") + name;
}

} // namespace corvel::catalogue
