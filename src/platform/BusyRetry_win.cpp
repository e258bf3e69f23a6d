#include "platform/BusyRetry_win.h"

#include <algorithm>

namespace corvel::busyretry {

namespace {

constexpr std::chrono::milliseconds kFirstSleep{10};
constexpr std::chrono::milliseconds kLongestSleep{100};

} // namespace

bool isBusy(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

bool retryWhileBusy(const std::function<bool()> &attempt, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::chrono::milliseconds sleep = kFirstSleep;
    for (;;) {
        if (attempt())
            return true;
        const DWORD error = GetLastError();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!isBusy(error) || left.count() <= 0) {
            SetLastError(error);
            return false;
        }
        Sleep(DWORD(std::min(sleep, left).count()));
        sleep = std::min(sleep * 2, kLongestSleep);
    }
}

HANDLE createFile(LPCWSTR name, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    retryWhileBusy([&] {
        handle = CreateFileW(name, access, share, nullptr, disposition, flags, nullptr);
        return handle != INVALID_HANDLE_VALUE;
    });
    return handle;
}

BOOL moveFile(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    return retryWhileBusy([&] { return MoveFileExW(from, to, flags) != 0; });
}

BOOL deleteFile(LPCWSTR name)
{
    return retryWhileBusy([&] { return DeleteFileW(name) != 0; });
}

BOOL replaceFile(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags)
{
    return retryWhileBusy(
        [&] { return ReplaceFileW(replaced, replacement, backup, flags, nullptr, nullptr) != 0; });
}

} // namespace corvel::busyretry
