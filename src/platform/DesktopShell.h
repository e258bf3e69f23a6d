#pragma once

#include "platform/ShellService.h"

namespace corvel {

// Opens web addresses in the user's browser and starts executables detached. A web address goes
// to the shell as it is. A bare executable name is looked for in the launcher's folder; its
// parameter text is split by the Windows rules.
class DesktopShell : public ShellService
{
public:
    explicit DesktopShell(QString launcherFolder);
    void open(const QString &file, const QString &parameters, bool ownedByMainWindow) override;

private:
    QString m_launcherFolder;
};

} // namespace corvel
