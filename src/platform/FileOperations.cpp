#include "platform/FileOperations.h"

#include "platform/FileOperationsNative.h"
#include "platform/UpgradeLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace corvel::fileops {

using namespace native;

namespace {

const QString kSameFile = QStringLiteral("The source and target are the same file");
const QString kBadName =
    QStringLiteral("The filename, directory name, or volume label syntax is incorrect");
const QString kIllegalPatternCharacters = QStringLiteral("\\/:\"<>|");
// MAX_PATH less the terminating NUL.
constexpr qsizetype kLongestPath = 259;

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

// An existing path that is not a folder; whether it is a regular file is checked once it is open.
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

// Places the staged copy, or removes it when that fails.
template <typename Move> void place(const QString &staged, const QString &target, Move move)
{
    try {
        move(staged, target);
    } catch (...) {
        QFile::remove(staged);
        throw;
    }
}

Progress orIgnored(const Progress &progress)
{
    return progress ? progress : [](qint64, qint64) {};
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

void copyFile(const QString &source, const QString &target, Content content,
              const Progress &progress)
{
    checkSource(source);
    checkLength(target);
    checkFolderOf(target);
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        fail(kFileExists);
    place(stageCopy(source, QFileInfo(target).absolutePath(), QString(), content,
                    orIgnored(progress)),
          target, moveWithoutReplacing);
}

void replaceFile(const QString &source, const QString &target, Content content,
                 const Progress &progress)
{
    checkSource(source);
    checkLength(target);
    checkFolderOf(target);
    const QFileInfo installed(target);
    if (installed.isDir())
        fail(kAccessDenied);
    if (sameFile(source, target))
        fail(kSameFile);
    place(stageCopy(source, installed.absolutePath(), installed.isFile() ? target : QString(),
                    content, orIgnored(progress)),
          target, moveReplacing);
}

void moveFile(const QString &from, const QString &to)
{
    if (QFileInfo(to).isDir())
        fail(kAccessDenied);
    moveReplacing(from, to);
}

void syncFolder(const QString &folder)
{
    native::syncFolder(folder);
}

void removeInterruptedCopies(const UpgradeLock &lock)
{
    const QDir folder(lock.folder());
    const QStringList names =
        folder.entryList({kCopyPrefix + u'*'},
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString path = folder.filePath(name);
        const Entry entry = native::entryOf(path);
        if (entry == Entry::File || entry == Entry::Link)
            native::removeTree(path);
    }
}

Entry entryOf(const QString &path)
{
    return native::entryOf(QDir::cleanPath(path));
}

void removeTree(const QString &path)
{
    native::removeTree(QDir::cleanPath(path));
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
    // FIFOs and devices are listed so that a copy refuses them instead of passing them over.
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink() && !entry.exists())
            continue;
        if (matcher.match(entry.fileName()).hasMatch())
            files.append(QDir::toNativeSeparators(entry.absoluteFilePath()));
    }
    return files;
}

} // namespace corvel::fileops
