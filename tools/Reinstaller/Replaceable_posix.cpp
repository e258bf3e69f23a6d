#include "Replaceable.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

Replaceable replaceable(const QString &installed, QString *reason)
{
    // The new file is written beside the old one and renamed over it: that needs the folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(installed).absolutePath());
    if (::access(folder.constData(), W_OK | X_OK) != 0) {
        *reason = qt_error_string(errno);
        return Replaceable::Denied;
    }
    // A running executable cannot be opened for writing (ETXTBSY); any other refusal says nothing
    // about the launcher, and the rename does not need the file to be writable.
    const int fd = ::open(QFile::encodeName(installed).constData(),
                          O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return Replaceable::Now;
    }
    return errno == ETXTBSY ? Replaceable::InUse : Replaceable::Now;
}
