#include "platform/UpgradeLock.h"

#include "platform/Descriptor_posix.h"
#include "platform/FileOperationsNative.h"

#include <QDeadlineTimer>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <utility>

namespace corvel {

namespace {

constexpr std::chrono::milliseconds kPoll{50};

// Writable where the file allows it, as an exclusive lock over NFS needs; read-only does elsewhere.
// O_NONBLOCK keeps a FIFO of that name from blocking the open.
int openLockFile(const QByteArray &path)
{
    const int flags = O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const int fd = ::open(path.constData(), O_RDWR | flags, 0666);
    if (fd >= 0 || errno != EACCES)
        return fd;
    return ::open(path.constData(), O_RDONLY | flags, 0666);
}

bool lockBefore(int fd, const QDeadlineTimer &deadline)
{
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            fileops::native::failWithSystemError(errno);
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(
            std::min<std::chrono::nanoseconds>(kPoll, deadline.remainingTimeAsDuration()));
    }
}

// Someone removed the file while this process waited on it: its lock no longer guards the folder.
bool stillNamed(int fd, const QByteArray &path)
{
    struct stat open = {};
    struct stat named = {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace

UpgradeLock::UpgradeLock(QString folder, std::chrono::milliseconds wait)
    : m_folder(std::move(folder)), m_handle(-1)
{
    const QByteArray path = QFile::encodeName(lockFilePath());
    const QDeadlineTimer deadline(wait);
    for (;;) {
        Descriptor file(openLockFile(path));
        if (file.get() < 0) {
            if (errno == ELOOP || errno == EISDIR)
                failNotAFile();
            fileops::native::failWithSystemError(errno);
        }
        struct stat status = {};
        if (::fstat(file.get(), &status) != 0)
            fileops::native::failWithSystemError(errno);
        if (!S_ISREG(status.st_mode))
            failNotAFile();
        if (!lockBefore(file.get(), deadline))
            failBusy();
        if (stillNamed(file.get(), path)) {
            m_handle = file.release();
            return;
        }
    }
}

UpgradeLock::~UpgradeLock()
{
    ::close(int(m_handle));
}

} // namespace corvel
