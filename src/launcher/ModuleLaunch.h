#pragma once

#include "platform/Services.h"

#include <QString>

namespace corvel {

class TDataModule1;
struct ModuleRecord;

// The version check before a launch and the start of a module. Shows at most one message per
// launch; lets file and database errors through to the top-level handler.
class ModuleLaunch
{
public:
    ModuleLaunch(TDataModule1 &dataModule, const Services &services);

    // True when the launcher itself must be upgraded first (a message has been shown).
    bool NeedUpdate();
    // True when the file `executable` carries the version published for `appId`; otherwise shows
    // why and returns false.
    bool checkVersion(const QString &executable, const QString &appId);
    // The whole Launch click of a module tile.
    void launch(const ModuleRecord &module);
    // "<user id> <password>"
    QString parameterText() const;

private:
    TDataModule1 &m_dataModule;
    Services m_services;
};

} // namespace corvel
