// Reading a version stamp touches headers only: a 512 MiB executable costs what a 1 MiB one does.
#include "BenchSupport.h"
#include "Workstation.h"

#include "app/AppVersion.h"

#include <QFile>
#include <QTemporaryDir>

using namespace corvel;

namespace {

QString padded(const QTemporaryDir &dir, const QString &name, qint64 size)
{
    const QString path = dir.filePath(name);
    QFile::copy(test::Workstation::moduleStubPath(), path);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.resize(size))
        qFatal("cannot size %s", qPrintable(path));
    return path;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString small = padded(dir, QStringLiteral("small.exe"), 1LL << 20);
    const QString large = padded(dir, QStringLiteral("large.exe"), 512LL << 20);
    // Alternating rounds keep caches and clock speed alike for both sides.
    QList<double> smallMs, largeMs;
    for (int round = 0; round < 40; ++round) {
        smallMs << bench::medianMs(50, [&] { GetAppVersionStr(small); });
        largeMs << bench::medianMs(50, [&] { GetAppVersionStr(large); });
    }
    bench::report("version read, 512 MiB executable", bench::median(largeMs) * 1000, "us",
                  bench::median(smallMs) * 1000, "1 MiB executable");
    return 0;
}
