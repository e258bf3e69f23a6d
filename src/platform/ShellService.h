#pragma once

#include <QString>

namespace corvel {

// The platform shell's "open" verb: a web address or an executable, with a parameter text, no
// working folder and the normal show state. Nobody looks at the result.
class ShellService
{
public:
    virtual ~ShellService() = default;

    // `file` is a web address or a bare executable name; `ownedByMainWindow` tells whether the
    // main window was passed as the owner (module launches and the self-upgrade) or none was
    // (web addresses).
    virtual void open(const QString &file, const QString &parameters, bool ownedByMainWindow) = 0;
};

} // namespace corvel
