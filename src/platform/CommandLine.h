#pragma once

#include <QString>
#include <QStringList>

namespace corvel::commandline {

// Splits a parameter text into arguments by the rules a Windows program's C runtime applies to
// its command line, so a module sees the same arguments on every platform.
QStringList splitWindowsArguments(const QString &parameters);

} // namespace corvel::commandline
