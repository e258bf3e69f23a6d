#include "platform/FileOperations.h"

#include "platform/FileError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <cerrno>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvel::fileops {

namespace {

const QString kFileNotFound = QStringLiteral("The system cannot find the file specified");
const QString kPathNotFound = QStringLiteral("The specified path was not found");
const QString kPathTooLong = QStringLiteral("The specified path is too long");
const QString kFileExists = QStringLiteral("The file exists");
const QString kAccessDenied = QStringLiteral("Access is denied");
const QString kSameFile = QStringLiteral("The source and target are the same file");
const QString kBadName =
    QStringLiteral("The filename, directory name, or volume label syntax is incorrect");
const QString kIllegalPatternCharacters = QStringLiteral("\\/:\"<>|");
// MAX_PATH less the terminating NUL.
constexpr qsizetype kLongestPath = 259;
constexpr qint64 kCopyChunk = 1024 * 1024;

[[noreturn]] void fail(const QString &text)
{
    throw FileError(text);
}

// The platform's refusals read as Windows reports them; other failures keep the system's text.
[[noreturn]] void failWithErrno(int error, const QString &fallback)
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
        fail(fallback);
    }
}

void checkLength(const QString &path)
{
    if (QFileInfo(path).absoluteFilePath().size() > kLongestPath)
        fail(kPathTooLong);
}

void checkFolderOf(const QString &path)
{
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
        fail(kPathNotFound);
}

// An existing, readable regular file (or a link to one).
void checkSource(const QString &source)
{
    checkLength(source);
    checkFolderOf(source);
    const QFileInfo info(source);
    if (!info.exists())
        fail(kFileNotFound);
    if (info.isDir())
        fail(kAccessDenied);
}

bool sync(QFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))) != 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

#ifdef Q_OS_LINUX
// Lets the kernel copy a regular file, as cp does, without passing its bytes through this
// process. False when it copied nothing (special files, file systems that refuse), so the caller
// copies the ordinary way.
bool copiedInKernel(QFile &input, QFile &output)
{
    qint64 copied = 0;
    for (;;) {
        const ssize_t n = ::copy_file_range(input.handle(), nullptr, output.handle(), nullptr,
                                            std::size_t(64 * kCopyChunk), 0);
        if (n > 0) {
            copied += n;
            continue;
        }
        if (n == 0)
            return copied > 0;
        if (copied == 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP ||
                            errno == EINVAL || errno == EBADF))
            return false;
        failWithErrno(errno, output.errorString());
    }
}
#endif

// A complete, durable copy of `source` under a temporary name in `folder`; it removes itself
// unless it was renamed into place.
std::unique_ptr<QTemporaryFile> stagedCopy(const QString &source, const QString &folder)
{
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        fail(kAccessDenied);
    auto staged = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/.corvel-copy-XXXXXX"));
    if (!staged->open())
        failWithErrno(errno, staged->errorString());
        // Read to the end rather than to the reported size, which is 0 for some special files.
#ifdef Q_OS_LINUX
    const bool done = copiedInKernel(input, *staged);
#else
    const bool done = false;
#endif
    while (!done) {
        const QByteArray chunk = input.read(kCopyChunk);
        if (input.error() != QFileDevice::NoError)
            fail(input.errorString());
        if (chunk.isEmpty())
            break;
        if (staged->write(chunk) != chunk.size())
            fail(staged->errorString());
    }
    // Like the platform's own copy, the copy keeps the source's permissions and write time, so
    // a copied executable can still be started.
    const QFileInfo info(source);
    staged->setPermissions(info.permissions());
    if (!staged->flush())
        fail(staged->errorString());
    staged->setFileTime(info.lastModified(), QFileDevice::FileModificationTime);
    if (!sync(*staged))
        fail(staged->errorString());
    staged->close();
    return staged;
}

// Links, hard links and different spellings of one path all name the same file.
bool sameFile(const QString &first, const QString &second)
{
    const QString canonical = QFileInfo(first).canonicalFilePath();
    if (!canonical.isEmpty() && canonical == QFileInfo(second).canonicalFilePath())
        return true;
#ifdef Q_OS_WIN
    return false;
#else
    struct stat a = {};
    struct stat b = {};
    return ::stat(QFile::encodeName(first).constData(), &a) == 0 &&
           ::stat(QFile::encodeName(second).constData(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
#endif
}

void removeFile(const QString &path)
{
#ifdef Q_OS_WIN
    if (!DeleteFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16())))
        fail(GetLastError() == ERROR_FILE_NOT_FOUND ? kFileNotFound : kAccessDenied);
#else
    if (::unlink(QFile::encodeName(path).constData()) != 0)
        failWithErrno(errno, qt_error_string(errno));
#endif
}

#ifndef Q_OS_WIN
// Renames only when `to` is free. A hard link is made only under a free name; where the file
// system has no hard links, the name is checked first and the staged copy renamed.
void renameWithoutOverwrite(const QByteArray &from, const QByteArray &to)
{
    if (::link(from.constData(), to.constData()) == 0)
        return;
    const int error = errno;
    if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP && error != EMLINK &&
        error != ENOSYS)
        failWithErrno(error, qt_error_string(error));
    if (QFileInfo::exists(QFile::decodeName(to)))
        fail(kFileExists);
    if (::rename(from.constData(), to.constData()) != 0)
        failWithErrno(errno, qt_error_string(errno));
}
#endif

// Moves the staged copy to `target`; with `overwrite` an existing target is replaced in one
// step, without it an existing target makes the move fail.
void moveIntoPlace(QTemporaryFile &staged, const QString &target, bool overwrite)
{
#ifdef Q_OS_WIN
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (overwrite ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(reinterpret_cast<LPCWSTR>(staged.fileName().utf16()),
                     reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(target).utf16()), flags)) {
        const DWORD error = GetLastError();
        fail(error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? kFileExists
                                                                         : kAccessDenied);
    }
#else
    const QByteArray from = QFile::encodeName(staged.fileName());
    const QByteArray to = QFile::encodeName(target);
    if (!overwrite) {
        // The staged name stays behind as a link to the target (unless it was renamed) and goes
        // with the temporary file.
        renameWithoutOverwrite(from, to);
        return;
    }
    if (::rename(from.constData(), to.constData()) != 0)
        failWithErrno(errno, qt_error_string(errno));
#endif
    staged.setAutoRemove(false);
}

} // namespace

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

void deleteFile(const QString &path)
{
    checkLength(path);
    checkFolderOf(path);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        fail(kFileNotFound);
    if (info.isDir() && !info.isSymLink())
        fail(kAccessDenied);
    removeFile(path);
}

void copyFile(const QString &source, const QString &target)
{
    checkSource(source);
    checkLength(target);
    checkFolderOf(target);
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        fail(kFileExists);
    std::unique_ptr<QTemporaryFile> staged = stagedCopy(source, QFileInfo(target).absolutePath());
    moveIntoPlace(*staged, target, false);
}

void replaceFile(const QString &source, const QString &target)
{
    checkSource(source);
    checkLength(target);
    checkFolderOf(target);
    if (QFileInfo(target).isDir())
        fail(kAccessDenied);
    if (sameFile(source, target))
        fail(kSameFile);
    std::unique_ptr<QTemporaryFile> staged = stagedCopy(source, QFileInfo(target).absolutePath());
    moveIntoPlace(*staged, target, true);
}

QStringList listFiles(const QString &folder, const QString &pattern)
{
    if (std::any_of(pattern.begin(), pattern.end(),
                    [](QChar c) { return kIllegalPatternCharacters.contains(c); }))
        fail(kBadName);
    checkLength(folder);
    const QDir dir(folder);
    if (!QFileInfo(folder).isDir())
        fail(kPathNotFound);
    // Windows lets "*.*" match names without a dot as well.
    const QString wildcard = pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
    QString expression;
    for (const QChar c : wildcard) {
        if (c == u'*')
            expression += QStringLiteral(".*");
        else if (c == u'?')
            expression += u'.';
        else
            expression += QRegularExpression::escape(QString(c));
    }
    const QRegularExpression matcher(QRegularExpression::anchoredPattern(expression),
                                     QRegularExpression::CaseInsensitiveOption |
                                         QRegularExpression::DotMatchesEverythingOption);
    QStringList files;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &entry : entries) {
        if (matcher.match(entry.fileName()).hasMatch())
            files.append(QDir::toNativeSeparators(entry.absoluteFilePath()));
    }
    return files;
}

} // namespace corvel::fileops
