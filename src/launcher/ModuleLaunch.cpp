#include "launcher/ModuleLaunch.h"

#include "app/AppVersion.h"
#include "app/DataModule1.h"
#include "launcher/ModuleCatalogue.h"
#include "platform/DialogService.h"
#include "platform/ShellService.h"

namespace corvel {

ModuleLaunch::ModuleLaunch(TDataModule1 &dataModule, const Services &services)
    : m_dataModule(dataModule), m_services(services)
{}

bool ModuleLaunch::NeedUpdate()
{
    const UpgradeEntry &self = catalogue::launcher();
    return !checkVersion(self.executable, self.appId);
}

bool ModuleLaunch::checkVersion(const QString &executable, const QString &appId)
{
    // Read the file first: an unreadable executable must fail before the database is asked.
    const QString local = GetAppVersionStr(executable, m_dataModule.Local_Path);

    Query &remote = m_dataModule.RemoteVersionQ;
    remote.close();
    remote.setParameter(QStringLiteral("App_ID"), appId);
    remote.open();
    if (remote.isEmpty()) {
        m_services.dialogs.showPlain(catalogue::versionInfoMissingMessage(appId));
        return false;
    }
    const QString published = remote.text(QStringLiteral("App_Version"));
    if (local != published) {
        m_services.dialogs.showPlain(catalogue::upgradeNeededMessage(appId, local, published));
        return false;
    }
    return true;
}

void ModuleLaunch::launch(const ModuleRecord &module)
{
    if (NeedUpdate())
        return;
    if (!checkVersion(module.executable, module.appId))
        return;
    m_services.shell.open(module.executable, parameterText(), true);
}

QString ModuleLaunch::parameterText() const
{
    return m_dataModule.Current_UserID + u' ' + m_dataModule.Current_Password;
}

} // namespace corvel
