#pragma once

#include <QString>

// Whether the installed launcher may be replaced now. A running launcher holds its file only
// until it has exited, so that is worth waiting for; a folder or file this user may not change
// never frees itself.
enum class Replaceable
{
    Now,
    InUse,
    Denied
};

// `reason` receives the system's text when the answer is Denied.
Replaceable replaceable(const QString &installed, QString *reason);
