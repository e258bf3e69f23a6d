#include <windows.h>

#include "platform/UpgradeLock.h"

#include "platform/BusyRetry_win.h"
#include "platform/FileOperationsNative.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace corvel {

namespace {

constexpr std::chrono::milliseconds kPoll{50};
constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

// A folder that itself takes the whole MAX_PATH must still be lockable.
std::wstring nativeName(const QString &path)
{
    const QString native = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (native.size() < MAX_PATH)
        return native.toStdWString();
    if (native.startsWith(QStringLiteral("\\\\")))
        return (QStringLiteral("\\\\?\\UNC\\") + native.mid(2)).toStdWString();
    return (QStringLiteral("\\\\?\\") + native).toStdWString();
}

bool lockBefore(HANDLE file, const QDeadlineTimer &deadline)
{
    for (;;) {
        OVERLAPPED firstByte = {};
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &firstByte))
            return true;
        const DWORD error = GetLastError();
        if (error != ERROR_LOCK_VIOLATION)
            fileops::native::failWithSystemError(error);
        if (deadline.hasExpired())
            return false;
        Sleep(DWORD(std::min<qint64>(kPoll.count(), deadline.remainingTime())));
    }
}

} // namespace

UpgradeLock::UpgradeLock(QString folder, std::chrono::milliseconds wait)
    : m_folder(std::move(folder)), m_handle(0)
{
    const std::wstring path = nativeName(lockFilePath());
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotAFile) != 0)
        failNotAFile();
    // Opening the reparse point itself keeps a link made in the meantime from being followed;
    // without FILE_SHARE_DELETE nobody removes or renames the file while it is open.
    HANDLE file =
        busyretry::createFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT);
    if (file == INVALID_HANDLE_VALUE)
        fileops::native::failWithSystemError(GetLastError());
    try {
        BY_HANDLE_FILE_INFORMATION information = {};
        if (!GetFileInformationByHandle(file, &information))
            fileops::native::failWithSystemError(GetLastError());
        if ((information.dwFileAttributes & kNotAFile) != 0)
            failNotAFile();
        if (!lockBefore(file, QDeadlineTimer(wait)))
            failBusy();
    } catch (...) {
        CloseHandle(file);
        throw;
    }
    m_handle = reinterpret_cast<qintptr>(file);
}

UpgradeLock::~UpgradeLock()
{
    CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

} // namespace corvel
