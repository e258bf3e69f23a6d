#include "app/DataModule1.h"

#include "app/AppVersion.h"
#include "data/DatabaseSettings.h"
#include "settings/IniFile.h"
#include "settings/IniSnapshot.h"
#include "settings/WorkstationSettings.h"

namespace corvel {

const QString TDataModule1::kRemoteVersionSql =
    QStringLiteral("Select [App_Version]\r\nFrom [AppsVersions]\r\nWhere [App_ID] = :App_ID");
const QString TDataModule1::kUsersRolesSql =
    QStringLiteral("Select RoleName From UsersRoles\r\nWhere UserName = :UserName\r\n"
                   "Order By RoleName");

TDataModule1::TDataModule1(QString executablePath, QObject *parent)
    : QObject(parent), RemoteVersionQ(ADOConnection1, kRemoteVersionSql),
      UsersRolesQ(ADOConnection1, kUsersRolesSql), m_executablePath(std::move(executablePath))
{
    ADOConnection1.setBeforeConnect([this] { ADOConnection1BeforeConnect(); });
}

void TDataModule1::DataModuleCreate()
{
    ADOConnection1.open();
}

QString TDataModule1::GetAppVersionStr() const
{
    return corvel::GetAppVersionStr(m_executablePath);
}

QString TDataModule1::settingsPath() const
{
    return settings::settingsPath(m_executablePath);
}

void TDataModule1::ADOConnection1BeforeConnect()
{
    Current_Version = GetAppVersionStr();
    Local_Path = settings::folderOf(m_executablePath);

    // One reading of the file for the whole step; read again only after writing to it.
    IniSnapshot ini(settingsPath());
    const DatabaseSettings database = DatabaseSettings::read(ini, Local_Path);
    Distribution_Path = ini.readString(QStringLiteral("Distribution_Pathes"),
                                       QStringLiteral("SharedFolder_Path"), QString());

    const QString styleSection = QStringLiteral("ChoosenStyle");
    const QString styleKey = QStringLiteral("Style");
    if (!ini.sectionHasKeys(styleSection)) {
        IniFile(settingsPath()).writeString(styleSection, styleKey, settings::kDefaultStyle);
        ini = IniSnapshot(settingsPath());
    }
    ChoosenStyle = ini.readString(styleSection, styleKey, settings::kDefaultStyle);
    CorvelPortal_URL = ini.readString(QStringLiteral("CorvelPortal"), QStringLiteral("URL"),
                                      settings::kDefaultPortalUrl);

    ADOConnection1.setEngineOptions(database.options);
    const QString computerName = qEnvironmentVariable("COMPUTERNAME");
    ADOConnection1.setConnectionString(database.connectionString(Current_Version, computerName));
}

} // namespace corvel
