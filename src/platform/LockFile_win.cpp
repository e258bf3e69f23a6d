#include "platform/LockFile_win.h"

#include "platform/BusyRetry_win.h"

#include <algorithm>

namespace corvel::lockfile {

namespace {

constexpr std::chrono::milliseconds kPoll{50};
constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

Lock failure(Outcome outcome, DWORD error = 0)
{
    Lock lock;
    lock.outcome = outcome;
    lock.error = error;
    return lock;
}

} // namespace

Lock acquire(const std::wstring &path, std::chrono::milliseconds wait)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotAFile) != 0)
        return failure(Outcome::NotAFile);
    // Opening the reparse point itself keeps a link made in the meantime from being followed;
    // without FILE_SHARE_DELETE nobody removes or renames the file while it is open.
    HANDLE file =
        busyretry::createFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT);
    if (file == INVALID_HANDLE_VALUE)
        return failure(Outcome::Failed, GetLastError());
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file, &information)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return failure(Outcome::Failed, error);
    }
    if ((information.dwFileAttributes & kNotAFile) != 0) {
        CloseHandle(file);
        return failure(Outcome::NotAFile);
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        OVERLAPPED firstByte = {};
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &firstByte)) {
            Lock lock;
            lock.outcome = Outcome::Locked;
            lock.handle = file;
            return lock;
        }
        const DWORD error = GetLastError();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (error != ERROR_LOCK_VIOLATION || left.count() <= 0) {
            CloseHandle(file);
            return error == ERROR_LOCK_VIOLATION ? failure(Outcome::Busy)
                                                 : failure(Outcome::Failed, error);
        }
        Sleep(DWORD(std::min(kPoll, left).count()));
    }
}

} // namespace corvel::lockfile
