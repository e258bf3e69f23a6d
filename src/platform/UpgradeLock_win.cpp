#include <windows.h>

#include "platform/UpgradeLock.h"

#include "platform/FileOperationsNative.h"
#include "platform/LockFile_win.h"

#include <QDir>
#include <QFileInfo>

namespace corvel {

namespace {

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

} // namespace

UpgradeLock::UpgradeLock(QString folder, std::chrono::milliseconds wait)
    : m_folder(std::move(folder)), m_handle(0)
{
    const lockfile::Lock lock = lockfile::acquire(nativeName(lockFilePath()), wait);
    switch (lock.outcome) {
    case lockfile::Outcome::Locked:
        m_handle = reinterpret_cast<qintptr>(lock.handle);
        return;
    case lockfile::Outcome::Busy:
        failBusy();
    case lockfile::Outcome::NotAFile:
        failNotAFile();
    case lockfile::Outcome::Failed:
        break;
    }
    fileops::native::failWithSystemError(lock.error);
}

UpgradeLock::~UpgradeLock()
{
    CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

} // namespace corvel
