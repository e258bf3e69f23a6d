// Any file handed to the version reader either yields a version or fails with a system error.
#include "platform/SystemError.h"
#include "platform/VersionResource.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.exe"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    try {
        corvel::versionresource::read(path);
    } catch (const corvel::SystemError &) {
    }
    return 0;
}
