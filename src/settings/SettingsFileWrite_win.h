#pragma once

#include <windows.h>

#include <QByteArray>
#include <QString>

namespace corvel::settingsfile {

// The calls of a save whose failures Windows brings about only in the field (a full disk, a file
// another program holds at the wrong moment), so that a test can stand in for them.
struct WindowsFileCalls
{
    decltype(&::WriteFile) write = ::WriteFile;
    decltype(&::ReplaceFileW) replace = ::ReplaceFileW;
};

// replaceContents with those calls.
bool replaceContents(const QString &path, const QByteArray &bytes, const WindowsFileCalls &calls);

} // namespace corvel::settingsfile
