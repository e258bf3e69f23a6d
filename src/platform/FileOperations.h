#pragma once

#include <QString>
#include <QStringList>

namespace corvel::fileops {

// True only for an existing file (links followed); never fails.
bool fileExists(const QString &path);
// Throws FileError (missing file, refused, missing folder, path too long).
void deleteFile(const QString &path);
// Copies without overwriting; throws FileError when the target exists or the copy fails. On
// success the target is a complete copy: it is written under a temporary name and renamed.
void copyFile(const QString &source, const QString &target);
// Puts a complete copy of `source` in place of `target` without ever leaving no target: the copy
// is written to a temporary name in the target's folder, flushed, then renamed over the target.
// Refuses when both name the same file. Throws FileError.
void replaceFile(const QString &source, const QString &target);
// Full paths of the files (not folders) directly inside `folder` whose names match the wildcard
// `pattern`, letter case ignored, in name order. Throws FileError when the folder does not exist.
QStringList listFiles(const QString &folder, const QString &pattern);

} // namespace corvel::fileops
