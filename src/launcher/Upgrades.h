#pragma once

#include "platform/Services.h"
#include "platform/UpgradeLock.h"

#include <QString>

#include <chrono>

namespace corvel {

class TDataModule1;
struct ModuleRecord;

// The Upgrades menu: copies from the distribution folder into the launcher's folder.
class Upgrades
{
public:
    // `lockWait`: how long an upgrade waits for another one of the same folder to finish.
    Upgrades(TDataModule1 &dataModule, const Services &services,
             std::chrono::milliseconds lockWait = UpgradeLock::kWait);

    // Replaces the installed file with the distribution's copy and reports the outcome; never
    // lets an error out.
    void DownloadUpdated(const QString &App_Name);
    // Errors go to the caller.
    void DeleteFilesMatchingPattern(const QString &Directory, const QString &Pattern);
    void DownloadFilesMatchingPattern(const QString &local_Directory,
                                      const QString &remote_Directory, const QString &Pattern);

    // A module's Upgrades item: confirmation, then DownloadUpdated of its upgrade file.
    void upgradeModule(const ModuleRecord &module);
    // "Upgrade Reports And Forms"; errors go to the caller (the top-level handler).
    void upgradeReportsAndForms();
    // Starts Reinstaller.exe with the two quoted launcher paths. The caller then closes the
    // main window.
    void upgradeLauncher();

private:
    TDataModule1 &m_dataModule;
    Services m_services;
    std::chrono::milliseconds m_lockWait;
};

} // namespace corvel
