#pragma once

#include <QString>

namespace corvel {

// The platform shell's "open" verb: a web address or an executable, with a parameter text, no
// working folder and the normal show state. Nobody looks at the result.
class ShellService
{
public:
    virtual ~ShellService() = default;

    // `file` is a bare executable name when `ownedByMainWindow` (module launches and the
    // self-upgrade pass the main window as the owner), and a web address otherwise.
    virtual void open(const QString &file, const QString &parameters, bool ownedByMainWindow) = 0;
};

} // namespace corvel
