#pragma once

#include <QString>

#include <chrono>

namespace corvel {

// Held while an upgrade changes a folder, across every process that upgrades it (two users of one
// terminal server, two windows, the reinstaller), so that no two change one folder at once and a
// leftover found while it is held belongs to no running upgrade. The system lets go of it when the
// process ends, however it ends. It locks the file kFileName in the folder (flock on POSIX,
// LockFileEx on Windows), which stays there for good: removing it would let a process still
// waiting on the old file and a newcomer on a new one both hold the folder. A link or a folder of
// that name is refused, never followed.
class UpgradeLock
{
public:
    static const QString kFileName;
    // A module copy from a slow share takes seconds; longer than this, the user is told instead.
    static constexpr std::chrono::milliseconds kWait{10000};

    // `folder` ends with a separator. Throws UpgradeBusyError when another upgrade keeps the
    // folder for longer than `wait`, FileError when the lock file cannot be opened.
    explicit UpgradeLock(QString folder, std::chrono::milliseconds wait = kWait);
    ~UpgradeLock();
    UpgradeLock(const UpgradeLock &) = delete;
    UpgradeLock &operator=(const UpgradeLock &) = delete;

    const QString &folder() const noexcept { return m_folder; }

private:
    QString lockFilePath() const;
    [[noreturn]] void failBusy() const;
    [[noreturn]] void failNotAFile() const;

    QString m_folder;
    // A descriptor on POSIX, a HANDLE on Windows.
    qintptr m_handle;
};

} // namespace corvel
