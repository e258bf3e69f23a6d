#pragma once

#include <QFile>
#include <QString>

namespace corvel {

// Opens `file` (its name already set; links followed) only when it names a regular file, without
// ever waiting on a FIFO or a device. On failure returns false with the system's error code in
// `*error` (errno, or GetLastError on Windows), or 0 when the name is not a regular file.
bool openRegularFile(QFile &file, QIODevice::OpenMode mode, int *error);

} // namespace corvel
