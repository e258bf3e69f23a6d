#pragma once

#include <QByteArray>
#include <QString>

namespace corvel::settingsfile {

// Puts `bytes` in place of the whole file at `path`, creating it when it is missing. The first
// choice is a temporary file beside it, flushed to disk, given the old file's owner, group and
// mode (on Windows its security descriptor) and renamed over it, so that a crash leaves either
// file whole. Where the folder takes no new file, or the owner cannot be kept, an existing file
// is rewritten in place: every check that can fail runs before its first byte changes. False,
// with the file as it was, when it cannot be written.
bool replaceContents(const QString &path, const QByteArray &bytes);

} // namespace corvel::settingsfile
