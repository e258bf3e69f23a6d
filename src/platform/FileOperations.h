#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace corvel {
class UpgradeLock;
}

namespace corvel::fileops {

// What a name stands for, the name itself and never what a link leads to. On Windows every reparse
// point (a symbolic link, a junction, a mount point) is a link.
enum class Entry
{
    Missing,
    File,
    Folder,
    Link,
    Other
};

// What a copied file is: where files have modes, a program must stay executable by its owner.
enum class Content
{
    Data,
    Program
};

// Hears how far a copy has got: `done` of `total`, in bytes of a file or files of a set.
using Progress = std::function<void(qint64 done, qint64 total)>;

// True only for an existing file (links followed); never fails.
bool fileExists(const QString &path);
// Throws FileError (missing file, refused, missing folder, path too long).
void deleteFile(const QString &path);
// Copies without overwriting; throws FileError when the target exists or the copy fails. On
// success the target is a complete copy: it is written under a temporary name and renamed. Only a
// regular file is copied (a FIFO or device is refused without waiting on it), and only if it did
// not change while it was copied. The new file gets the process's default permissions, never
// writable by group or others. `progress` hears of the bytes copied.
void copyFile(const QString &source, const QString &target, Content content = Content::Data,
              const Progress &progress = {});
// Puts a complete copy of `source` in place of `target` without ever leaving no target: the copy
// is written to a temporary name in the target's folder, flushed, then renamed over the target.
// The copy keeps the mode, owner and group of the file it replaces as far as the process may set
// them. Refuses when both name the same file. Throws FileError.
void replaceFile(const QString &source, const QString &target, Content content = Content::Data,
                 const Progress &progress = {});
// Renames a file within its volume, replacing a file (never a folder) of the new name. Throws
// FileError.
void moveFile(const QString &from, const QString &to);
// Makes the names just created or renamed in `folder` durable; best effort.
void syncFolder(const QString &folder);
// Removes the temporary files that copies cut short by a crash or a kill left in the locked folder.
// Only the lock tells that no running copy still writes them; a folder of that name stays.
void removeInterruptedCopies(const UpgradeLock &lock);
Entry entryOf(const QString &path);
// Removes `path` with everything in it, best effort. A link anywhere in the tree is removed itself:
// what it leads to, in the folder or outside it, is never touched.
void removeTree(const QString &path);
// Full paths of the files (not folders) directly inside `folder` whose names match the wildcard
// `pattern`, letter case ignored, in name order; FIFOs and devices count as files, broken links
// do not. Throws FileError when the folder does not exist.
QStringList listFiles(const QString &folder, const QString &pattern);

} // namespace corvel::fileops
