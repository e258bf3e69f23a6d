#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvel {

bool openRegularFile(QFile &file, QIODevice::OpenMode mode, int *error)
{
    const int access = mode.testFlag(QIODevice::WriteOnly)
                           ? (mode.testFlag(QIODevice::ReadOnly) ? O_RDWR : O_WRONLY)
                           : O_RDONLY;
    // Without O_NONBLOCK opening a FIFO waits for a writer, for good if none comes.
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(),
                          access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        *error = errno;
    else if (!S_ISREG(status.st_mode))
        *error = 0;
    else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        *error = errno;
    else if (file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return true;
    else
        *error = EBADF;
    ::close(fd);
    return false;
}

} // namespace corvel
