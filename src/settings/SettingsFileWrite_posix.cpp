#include "settings/SettingsFileWrite.h"

#include "platform/Descriptor_posix.h"

#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace corvel::settingsfile {

namespace {

bool writeAt(int fd, QByteArrayView bytes, off_t offset)
{
    while (!bytes.isEmpty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), std::size_t(bytes.size()), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes = bytes.sliced(n);
        offset += n;
    }
    return true;
}

bool readAt(int fd, QByteArray &bytes, off_t offset)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            ::pread(fd, bytes.data() + done, std::size_t(bytes.size() - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// So that the rename itself survives a crash; the file's own bytes are already on disk.
void syncFolderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder =
        slash < 0 ? QByteArray(".") : path.first(std::max<qsizetype>(slash, 1));
    const Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

enum class Outcome
{
    Written,
    Failed,
    TryInPlace
};

Outcome writeThroughTemporary(const QByteArray &path, const QByteArray &bytes,
                              const struct stat *old)
{
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 8; ++attempt) {
        temporary =
            path + ".corvel-" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        // A new file gets 0666 less the umask, as any program's new file does.
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    old ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return old ? Outcome::TryInPlace : Outcome::Failed;
    Descriptor file(fd);
    auto discard = qScopeGuard([&] { ::unlink(temporary.constData()); });

    if (old) {
        struct stat mine = {};
        if (::fstat(fd, &mine) != 0)
            return Outcome::Failed;
        // Everyone else sharing the workstation must still be able to write the file.
        if ((mine.st_uid != old->st_uid || mine.st_gid != old->st_gid) &&
            ::fchown(fd, old->st_uid, old->st_gid) != 0)
            return Outcome::TryInPlace;
        if (::fchmod(fd, old->st_mode & 07777) != 0)
            return Outcome::TryInPlace;
    }
    if (!writeAt(fd, bytes, 0) || ::fsync(fd) != 0 || !file.close())
        return Outcome::Failed;
    // A sticky folder lets a user create files but not replace another user's.
    if (::rename(temporary.constData(), path.constData()) != 0)
        return old ? Outcome::TryInPlace : Outcome::Failed;
    discard.dismiss();
    syncFolderOf(path);
    return Outcome::Written;
}

bool withinFileSizeLimit(off_t size)
{
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           rlim_t(size) <= limit.rlim_cur;
}

// Overwriting takes no new room on most file systems, but a copy-on-write one needs it.
bool roomFor(int fd, off_t size)
{
    struct statvfs fs = {};
    if (::fstatvfs(fd, &fs) != 0)
        return true;
    const auto available = ::geteuid() == 0 ? fs.f_bfree : fs.f_bavail;
    return static_cast<unsigned long long>(available) * fs.f_frsize >=
           static_cast<unsigned long long>(size);
}

bool writeInPlace(const QByteArray &path, const QByteArray &bytes)
{
    Descriptor file(::open(path.constData(), O_RDWR | O_CLOEXEC));
    struct stat old = {};
    if (file.get() < 0 || ::fstat(file.get(), &old) != 0 || !S_ISREG(old.st_mode))
        return false;
    const int fd = file.get();
    const off_t oldSize = old.st_size;
    const off_t newSize = off_t(bytes.size());
    const off_t common = std::min(oldSize, newSize);
    QByteArray previous(qsizetype(oldSize), Qt::Uninitialized);
    if (!readAt(fd, previous, 0) || !withinFileSizeLimit(std::max(oldSize, newSize)))
        return false;

    // The new tail goes past the old end first, so a full disk stops the write before any old
    // byte has changed.
    if (newSize > oldSize && !writeAt(fd, QByteArrayView(bytes).sliced(oldSize), oldSize)) {
        ::ftruncate(fd, oldSize);
        return false;
    }
    if (!roomFor(fd, common)) {
        ::ftruncate(fd, oldSize);
        return false;
    }
    if (!writeAt(fd, QByteArrayView(bytes).first(common), 0) ||
        (newSize < oldSize && ::ftruncate(fd, newSize) != 0) || ::fsync(fd) != 0) {
        // Put the old text back as far as the disk still allows.
        writeAt(fd, previous, 0);
        ::ftruncate(fd, oldSize);
        ::fsync(fd);
        return false;
    }
    return file.close();
}

} // namespace

bool replaceContents(const QString &path, const QByteArray &bytes)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat old = {};
    const bool exists = ::stat(native.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return false;
    switch (writeThroughTemporary(native, bytes, exists ? &old : nullptr)) {
    case Outcome::Written:
        return true;
    case Outcome::Failed:
        return false;
    case Outcome::TryInPlace:
        break;
    }
    return writeInPlace(native, bytes);
}

} // namespace corvel::settingsfile
