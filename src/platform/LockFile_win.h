#pragma once

// Plain Win32 and standard C++ only, so that programs built without Qt (the reinstaller) share it.
#include <windows.h>

#include <chrono>
#include <string>

namespace corvel::lockfile {

enum class Outcome
{
    Locked,
    Busy,     // another process held it for the whole wait
    NotAFile, // a folder or a link has the lock file's name
    Failed    // the file could not be opened or locked; see `error`
};

struct Lock
{
    Outcome outcome = Outcome::Failed;
    HANDLE handle = INVALID_HANDLE_VALUE; // open and locked when outcome is Locked
    DWORD error = 0;
};

// Opens the lock file at `path`, creating it hidden, without ever following a link, and locks its
// first byte for this process (what every process that upgrades the folder locks), waiting at most
// `wait` for another to let go. Closing the handle, or the end of the process, unlocks it.
Lock acquire(const std::wstring &path, std::chrono::milliseconds wait);

} // namespace corvel::lockfile
