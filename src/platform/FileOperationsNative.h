#pragma once

#include "platform/FileError.h"
#include "platform/FileOperations.h"

#include <QString>

// The parts of the file operations each platform does its own way (FileOperations_posix.cpp,
// FileOperations_win.cpp). Paths arrive checked for length and folder.
namespace corvel::fileops::native {

inline const QString kFileNotFound = QStringLiteral("The system cannot find the file specified");
inline const QString kPathNotFound = QStringLiteral("The specified path was not found");
inline const QString kPathTooLong = QStringLiteral("The specified path is too long");
inline const QString kFileExists = QStringLiteral("The file exists");
inline const QString kAccessDenied = QStringLiteral("Access is denied");
// Prefix of the temporary name a copy is written under before it takes its own.
inline const QString kCopyPrefix = QStringLiteral(".corvel-copy-");

[[noreturn]] inline void fail(const QString &text)
{
    throw FileError(text);
}
[[noreturn]] inline void failNotRegular(const QString &path)
{
    fail(QStringLiteral("%1 is not a regular file").arg(path));
}
[[noreturn]] inline void failChanged(const QString &path)
{
    fail(QStringLiteral("%1 changed while it was being copied").arg(path));
}

// The system's error code (errno, or GetLastError on Windows) in the words of the other failures.
[[noreturn]] void failWithSystemError(unsigned long code);

// Writes a complete copy of the regular file `source` to a new temporary file in `folder`, flushed
// to disk, and returns its path. The copy takes the mode, owner and group of `model` when that
// names a file, else the defaults of a new file of `content`. Throws FileError and leaves nothing
// behind when the source is not a regular file, changes while it is copied, or the copy fails.
// `progress` hears of the bytes written so far.
QString stageCopy(const QString &source, const QString &folder, const QString &model,
                  Content content, const Progress &progress);
// Renames `from` to `to`, replacing a file there in one step.
void moveReplacing(const QString &from, const QString &to);
// Renames `from` to `to` only when `to` is free; fails with kFileExists otherwise.
void moveWithoutReplacing(const QString &from, const QString &to);
void removeFile(const QString &path);
// Links, hard links and different spellings of one path all name the same file.
bool sameFile(const QString &first, const QString &second);
void syncFolder(const QString &folder);
Entry entryOf(const QString &path);
void removeTree(const QString &path);

} // namespace corvel::fileops::native
