#pragma once

// Plain Win32 and standard C++ only, so that programs built without Qt (the reinstaller) share it.
#include <windows.h>

#include <chrono>
#include <functional>

namespace corvel::busyretry {

// Long enough for a virus scanner, the indexer or a backup that opened a fresh file for a moment;
// short enough that a file held for good is still reported while the user waits.
inline constexpr std::chrono::milliseconds kLimit{2000};

// The errors a brief open by another process causes. Windows also reports access denied for a
// file whose deletion is still pending, so a real refusal is reported only after the limit.
bool isBusy(DWORD error);

// Calls `attempt` until it succeeds or fails with an error isBusy does not accept, with short and
// growing sleeps in between, for at most `limit`. `attempt` returns true on success and leaves
// its error in GetLastError on failure; so does this function, with the last attempt's outcome.
bool retryWhileBusy(const std::function<bool()> &attempt, std::chrono::milliseconds limit = kLimit);

// The Win32 calls of the same names, retried while busy.
HANDLE createFile(LPCWSTR name, DWORD access, DWORD share, DWORD disposition, DWORD flags);
BOOL moveFile(LPCWSTR from, LPCWSTR to, DWORD flags);
BOOL deleteFile(LPCWSTR name);
BOOL replaceFile(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags);

} // namespace corvel::busyretry
