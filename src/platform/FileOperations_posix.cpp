#include "platform/FileOperationsNative.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace corvel::fileops::native {

namespace {

constexpr qint64 kChunk = 1024 * 1024;

// The platform's refusals read as Windows reports them; other failures keep the system's text,
// so a full disk says so.
[[noreturn]] void failWithErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
    case EISDIR:
        fail(kAccessDenied);
    case ENOENT:
        fail(kFileNotFound);
    case EEXIST:
        fail(kFileExists);
    default:
        fail(qt_error_string(error));
    }
}

QByteArray nativeName(const QString &path)
{
    return QFile::encodeName(path);
}

void writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failWithErrno(n < 0 ? errno : ENOSPC);
        data += n;
        size -= n;
    }
}

// Copies `total` bytes from the current offset of `input`; false when the source ends early.
bool copyBytes(int input, int output, qint64 total, const Progress &progress)
{
    qint64 size = total;
#ifdef __linux__
    // Lets the kernel copy, as cp does, without passing the bytes through this process.
    bool kernelCopies = true;
    while (kernelCopies && size > 0) {
        const ssize_t n = ::copy_file_range(input, nullptr, output, nullptr,
                                            std::size_t(std::min(size, 8 * kChunk)), 0);
        if (n > 0) {
            size -= n;
            progress(total - size, total);
        } else if (n == 0)
            return false;
        else if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)
            kernelCopies = false;
        else if (errno != EINTR)
            failWithErrno(errno);
    }
#endif
    QByteArray buffer(int(std::min(size, kChunk)), Qt::Uninitialized);
    while (size > 0) {
        const ssize_t n = ::read(input, buffer.data(), std::size_t(std::min(size, kChunk)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            failWithErrno(errno);
        if (n == 0)
            return false;
        writeAll(output, buffer.constData(), n);
        size -= n;
        progress(total - size, total);
    }
    return true;
}

// True when `input` holds more than it did when opened: the publisher is still writing.
bool grewPastEnd(int input)
{
    char extra = 0;
    for (;;) {
        const ssize_t n = ::read(input, &extra, 1);
        if (n >= 0)
            return n > 0;
        if (errno != EINTR)
            failWithErrno(errno);
    }
}

bool sameVersion(const struct stat &before, const struct stat &after)
{
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

// A new, empty file under a fresh temporary name in `folder`. The kernel applies the umask (and
// any default ACL) to `mode`.
int createStaged(const QString &folder, mode_t mode, QString *path)
{
    for (int attempt = 0;; ++attempt) {
        *path = folder + u'/' + kCopyPrefix +
                QString::number(QRandomGenerator::global()->generate64() % 2176782336U, 36);
        const int fd = ::open(nativeName(*path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST || attempt == 100)
            failWithErrno(errno);
    }
}

// The installed file's mode, owner and group as far as this process may set them; a setuid or
// setgid bit only together with the owner or group it was given for.
void takeOwnershipOf(int fd, const struct stat &model)
{
    mode_t mode = model.st_mode & 07777;
    if (::fchown(fd, model.st_uid, model.st_gid) != 0) {
        mode &= ~mode_t(S_ISUID);
        if (::fchown(fd, uid_t(-1), model.st_gid) != 0)
            mode &= ~mode_t(S_ISGID);
    }
    if (::fchmod(fd, mode) != 0)
        failWithErrno(errno);
}

// A new file: what the umask left of the default, never writable by group or others.
void takeDefaultMode(int fd, Content content)
{
    struct stat created = {};
    if (::fstat(fd, &created) != 0)
        failWithErrno(errno);
    mode_t mode = created.st_mode & 0777 & ~mode_t(S_IWGRP | S_IWOTH);
    if (content == Content::Program)
        mode |= S_IRUSR | S_IXUSR;
    if (::fchmod(fd, mode) != 0)
        failWithErrno(errno);
}

void finishCopy(const QString &source, int input, int output, const struct stat &before,
                const QString &model, Content content, const Progress &progress)
{
    if (!copyBytes(input, output, before.st_size, progress) || grewPastEnd(input))
        failChanged(source);
    struct stat after = {};
    if (::fstat(input, &after) != 0)
        failWithErrno(errno);
    if (!sameVersion(before, after))
        failChanged(source);

    struct stat installed = {};
    if (!model.isEmpty() && ::stat(nativeName(model).constData(), &installed) == 0 &&
        S_ISREG(installed.st_mode)) {
        if (content == Content::Program)
            installed.st_mode |= S_IXUSR;
        takeOwnershipOf(output, installed);
    } else {
        takeDefaultMode(output, content);
    }
    // Like the platform's own copy, the copy keeps the source's write time.
    const struct timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
    if (::futimens(output, times) != 0)
        failWithErrno(errno);
    if (::fsync(output) != 0)
        failWithErrno(errno);
}

void removeAt(int parent, const char *name);

// Empties the folder open as `fd`, which it takes over.
void removeEntries(int fd)
{
    DIR *dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    std::vector<std::string> names;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    for (const std::string &name : names)
        removeAt(::dirfd(dir), name.c_str());
    ::closedir(dir);
}

// Every step goes by the folder already open, never by a path a link could redirect, and
// O_NOFOLLOW makes a folder swapped for a link on the way fail to open instead of being entered.
void removeAt(int parent, const char *name)
{
    struct stat status = {};
    if (::fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (!S_ISDIR(status.st_mode)) {
        ::unlinkat(parent, name, 0);
        return;
    }
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0)
        removeEntries(fd);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

} // namespace

void failWithSystemError(unsigned long code)
{
    failWithErrno(int(code));
}

QString stageCopy(const QString &source, const QString &folder, const QString &model,
                  Content content, const Progress &progress)
{
    QFile input(source);
    int error = 0;
    if (!openRegularFile(input, QIODevice::ReadOnly, &error)) {
        if (error == 0)
            failNotRegular(QDir::toNativeSeparators(source));
        failWithErrno(error);
    }
    struct stat before = {};
    if (::fstat(input.handle(), &before) != 0)
        failWithErrno(errno);

    QString staged;
    const int output = createStaged(folder, content == Content::Program ? 0777 : 0666, &staged);
    try {
        finishCopy(QDir::toNativeSeparators(source), input.handle(), output, before, model, content,
                   progress);
    } catch (...) {
        ::close(output);
        ::unlink(nativeName(staged).constData());
        throw;
    }
    if (::close(output) != 0) {
        const int closeError = errno;
        ::unlink(nativeName(staged).constData());
        failWithErrno(closeError);
    }
    return staged;
}

void moveReplacing(const QString &from, const QString &to)
{
    if (::rename(nativeName(from).constData(), nativeName(to).constData()) != 0)
        failWithErrno(errno);
}

// A hard link is made only under a free name; where the file system has no hard links, the name
// is checked first and the file renamed.
void moveWithoutReplacing(const QString &from, const QString &to)
{
    const QByteArray source = nativeName(from);
    const QByteArray target = nativeName(to);
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return;
    }
    const int error = errno;
    if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP && error != EMLINK &&
        error != ENOSYS)
        failWithErrno(error);
    if (QFileInfo::exists(to))
        fail(kFileExists);
    moveReplacing(from, to);
}

void removeFile(const QString &path)
{
    if (::unlink(nativeName(path).constData()) != 0)
        failWithErrno(errno);
}

bool sameFile(const QString &first, const QString &second)
{
    const QString canonical = QFileInfo(first).canonicalFilePath();
    if (!canonical.isEmpty() && canonical == QFileInfo(second).canonicalFilePath())
        return true;
    struct stat a = {};
    struct stat b = {};
    return ::stat(nativeName(first).constData(), &a) == 0 &&
           ::stat(nativeName(second).constData(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(nativeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

Entry entryOf(const QString &path)
{
    struct stat status = {};
    if (::lstat(nativeName(path).constData(), &status) != 0)
        return Entry::Missing;
    if (S_ISLNK(status.st_mode))
        return Entry::Link;
    if (S_ISDIR(status.st_mode))
        return Entry::Folder;
    return S_ISREG(status.st_mode) ? Entry::File : Entry::Other;
}

void removeTree(const QString &path)
{
    const QFileInfo entry(path);
    const int parent =
        ::open(nativeName(entry.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0)
        return;
    removeAt(parent, nativeName(entry.fileName()).constData());
    ::close(parent);
}

} // namespace corvel::fileops::native
